#include "publishing/AlbumsWebPerso.h"

#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QSet>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace AlbumsWebPerso
{
namespace
{
const QString cValeurIncorrecte = QStringLiteral("Valeur incorrecte.");

QString Prefixe()
{
    return cSectionAlbumWeb + QLatin1Char(':');
}

bool Egaux(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Every album name, as the store spells it, each once.
QStringList TousLesAlbums(const TBigIniFile &ini)
{
    const QString cPrefixe = Prefixe();
    QStringList Sections;
    ini.ReadSections(Sections);
    QStringList Noms;
    for (const QString &cSection : std::as_const(Sections)) {
        if (!cSection.startsWith(cPrefixe, Qt::CaseInsensitive))
            continue;
        const QString cNom = cSection.mid(cPrefixe.size());
        if (!cNom.isEmpty() && !Noms.contains(cNom, Qt::CaseInsensitive)
            && ini.ValueExists(cSection, QString::fromLatin1(cCleDossiers)))
            Noms << cNom;
    }
    return Noms;
}

// The folder sections of an album, each once, with their paths. A section is the album's when
// no other album with a longer name also claims it: an album "A:B" keeps its sections when "A"
// is deleted or renamed.
std::vector<std::pair<QString, QString>> SectionsDossiers(const TBigIniFile &ini, const QString &cAlbum)
{
    const QString cDebut = SectionAlbum(cAlbum) + QLatin1Char(':');
    QStringList Autres;
    for (const QString &cNom : TousLesAlbums(ini))
        if (cNom.size() > cAlbum.size() && SectionAlbum(cNom).startsWith(cDebut, Qt::CaseInsensitive))
            Autres << SectionAlbum(cNom);
    QStringList Sections;
    ini.ReadSections(Sections);
    std::vector<std::pair<QString, QString>> Resultat;
    QStringList Vues;
    for (const QString &cSection : std::as_const(Sections)) {
        if (!cSection.startsWith(cDebut, Qt::CaseInsensitive) || Vues.contains(cSection, Qt::CaseInsensitive))
            continue;
        const bool lAutre = std::any_of(Autres.cbegin(), Autres.cend(), [&](const QString &cAutre) {
            return Egaux(cSection, cAutre) || cSection.startsWith(cAutre + QLatin1Char(':'), Qt::CaseInsensitive);
        });
        if (lAutre)
            continue;
        Vues << cSection;
        Resultat.emplace_back(cSection, cSection.mid(cDebut.size()));
    }
    return Resultat;
}

void Sauve(TBigIniFile &ini, TResultat &R)
{
    R.lFait = true;
    if (!ini.UpdateFile())
        R.cErreurSauvegarde =
            QStringLiteral("Les albums WEB hiérarchiques personnels n'ont pas pu être enregistrés dans « %1 » : %2")
                .arg(ini.FileName(), ini.DerniereErreur());
}

TResultat Refus(const QString &cTexte)
{
    TResultat R;
    R.cRefus = cTexte;
    return R;
}

// Adds every key of one section to another, leaving the source alone.
void CopieCles(TBigIniFile &ini, const QString &cSource, const QString &cCible)
{
    QStringList Cles;
    ini.ReadSection(cSource, Cles);
    for (const QString &cCle : std::as_const(Cles))
        ini.WriteString(cCible, cCle, ini.ReadString(cSource, cCle, {}));
}

bool AlbumExiste(const TBigIniFile &ini, const QString &cAlbum)
{
    return ini.ValueExists(SectionAlbum(cAlbum), QString::fromLatin1(cCleDossiers));
}

// A tree of folder names, to read hand-edited lists and to keep the depth-first order.
struct TNoeud
{
    QString cNom;
    std::vector<std::unique_ptr<TNoeud>> Enfants;

    TNoeud *Enfant(const QString &c)
    {
        for (auto &e : Enfants)
            if (Egaux(e->cNom, c))
                return e.get();
        Enfants.push_back(std::make_unique<TNoeud>());
        Enfants.back()->cNom = c;
        return Enfants.back().get();
    }
    void Liste(const QString &cChemin, QStringList &Chemins) const
    {
        for (const auto &e : Enfants) {
            const QString c = cChemin.isNull() ? e->cNom : cChemin + QLatin1Char('/') + e->cNom;
            Chemins << c;
            e->Liste(c, Chemins);
        }
    }
};

// The children of cParent (nullopt: the top level) in the list.
QStringList Enfants(const QStringList &Chemins, const std::optional<QString> &cParent)
{
    QStringList Noms;
    for (const QString &c : Chemins) {
        const qsizetype n = c.lastIndexOf(QLatin1Char('/'));
        if (!cParent ? n < 0 : (n >= 0 && Egaux(c.left(n), *cParent)))
            Noms << c.mid(n + 1);
    }
    return Noms;
}

// Every path of the list that lies under P, P included, in list order.
QStringList SousArbre(const QStringList &Chemins, const QString &P)
{
    QStringList l;
    for (const QString &c : Chemins)
        if (DansSousArbre(c, P))
            l << c;
    return l;
}

// The folder sections of the album that lie under P, P included.
std::vector<std::pair<QString, QString>> SectionsSousArbre(const TBigIniFile &ini, const QString &cAlbum,
                                                           const QString &P)
{
    std::vector<std::pair<QString, QString>> l;
    for (auto &[cSection, cChemin] : SectionsDossiers(ini, cAlbum))
        if (DansSousArbre(cChemin, P))
            l.emplace_back(cSection, cChemin);
    return l;
}

// Takes a folder and its sub-folders out of the list and deals with their sections; no save.
void RetireDossier(TBigIniFile &ini, const QString &cAlbum, const QString &cChemin, bool lEffaceImages)
{
    QStringList Chemins = LitDossiers(ini, cAlbum);
    Chemins.removeIf([&](const QString &c) { return DansSousArbre(c, cChemin); });
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    const QString cParent = SectionDossier(cAlbum, cChemin.left(n));
    for (const auto &[cSection, cSous] : SectionsSousArbre(ini, cAlbum, cChemin)) {
        if (n >= 0 && !lEffaceImages)
            CopieCles(ini, cSection, cParent);
        ini.EraseSection(cSection);
    }
    EcrireDossiers(ini, cAlbum, Chemins);
}

bool EstControle(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
}
} // namespace

QString SectionAlbum(const QString &cAlbum)
{
    return Prefixe() + cAlbum;
}

QString SectionDossier(const QString &cAlbum, const QString &cChemin)
{
    return SectionAlbum(cAlbum) + QLatin1Char(':') + cChemin;
}

QString NomDossier(const QString &cChemin)
{
    return cChemin.mid(cChemin.lastIndexOf(QLatin1Char('/')) + 1);
}

QString CheminParent(const QString &cChemin)
{
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    return n < 0 ? QString() : cChemin.left(n);
}

bool DansSousArbre(const QString &p, const QString &P)
{
    return Egaux(p, P) || p.startsWith(P + QLatin1Char('/'), Qt::CaseInsensitive);
}

QStringList ListerAlbumsPerso(const TBigIniFile &iniSetup, bool lAvecDossiers)
{
    QStringList Noms = TousLesAlbums(iniSetup);
    if (lAvecDossiers)
        Noms.removeIf([&](const QString &cNom) { return LitDossiers(iniSetup, cNom).isEmpty(); });
    std::sort(Noms.begin(), Noms.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
    return Noms;
}

QStringList OrdonneDossiers(const QStringList &Pieces)
{
    TNoeud Racine;
    for (const QString &cPiece : Pieces) {
        TNoeud *p = &Racine;
        for (const QString &cNom : cPiece.split(QLatin1Char('/')))
            p = p->Enfant(cNom);
    }
    QStringList Chemins;
    Racine.Liste(QString(), Chemins);
    return Chemins;
}

QStringList LitDossiers(const TBigIniFile &iniSetup, const QString &cAlbum)
{
    QStringList Pieces;
    const QString cValeur = iniSetup.ReadString(SectionAlbum(cAlbum), QString::fromLatin1(cCleDossiers), {});
    for (const QString &cPiece : cValeur.split(QLatin1Char('|'))) {
        const QString c = cPiece.trimmed();
        if (!c.isEmpty())
            Pieces << c;
    }
    return OrdonneDossiers(Pieces);
}

void EcrireDossiers(TBigIniFile &iniSetup, const QString &cAlbum, const QStringList &Chemins)
{
    iniSetup.WriteString(SectionAlbum(cAlbum), QString::fromLatin1(cCleDossiers),
                         OrdonneDossiers(Chemins).join(QLatin1Char('|')));
}

void DeplacerSection(TBigIniFile &iniSetup, const QString &cAncienne, const QString &cNouvelle)
{
    if (cAncienne == cNouvelle || !iniSetup.SectionExists(cAncienne))
        return;
    if (Egaux(cAncienne, cNouvelle)) {
        // One section under two spellings: moving then erasing the old would erase everything.
        QStringList Cles;
        iniSetup.ReadSection(cAncienne, Cles);
        std::vector<std::pair<QString, QString>> Lignes;
        for (const QString &cCle : std::as_const(Cles))
            Lignes.emplace_back(cCle, iniSetup.ReadString(cAncienne, cCle, {}));
        iniSetup.EraseSection(cAncienne);
        for (const auto &[cCle, cValeur] : Lignes)
            iniSetup.WriteString(cNouvelle, cCle, cValeur);
        return;
    }
    if (!iniSetup.SectionExists(cNouvelle)) {
        iniSetup.RenommeSection(cAncienne, cNouvelle);
        return;
    }
    CopieCles(iniSetup, cAncienne, cNouvelle);
    iniSetup.EraseSection(cAncienne);
}

QString RefusNomCreation(const QString &cNom)
{
    if (cNom.isEmpty() || cNom == QLatin1String(".") || cNom == QLatin1String(".."))
        return cValeurIncorrecte;
    for (const QChar c : cNom)
        if (QStringLiteral(":/\\|[]").contains(c) || EstControle(c))
            return cValeurIncorrecte;
    return {};
}

QString RefusNomRenommage(const QString &cNom)
{
    const QString c = cNom.trimmed();
    if (c.isEmpty() || c == QLatin1String(".") || c == QLatin1String(".."))
        return cValeurIncorrecte;
    for (const QChar x : c) {
        const char16_t u = x.unicode();
        const bool lPermis = u == u' ' || u == u'-' || u == u'.' || u == u'_' || (u >= u'0' && u <= u'9')
                             || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        if (!lPermis)
            return cValeurIncorrecte;
    }
    return {};
}

TResultat CreeAlbum(TBigIniFile &iniSetup, const QString &cNom)
{
    const QString c = cNom.trimmed();
    if (const QString cRefus = RefusNomCreation(c); !cRefus.isEmpty())
        return Refus(cRefus);
    if (TousLesAlbums(iniSetup).contains(c, Qt::CaseInsensitive))
        return Refus(QStringLiteral("Impossible de créer l'%1 '%2'.").arg(QStringLiteral("album WEB hiérarchique"), c));
    iniSetup.WriteString(SectionAlbum(c), QString::fromLatin1(cCleDossiers), QString());
    TResultat R;
    Sauve(iniSetup, R);
    return R;
}

TResultat SupprimeAlbum(TBigIniFile &iniSetup, const QString &cAlbum)
{
    if (!AlbumExiste(iniSetup, cAlbum))
        return {};
    for (const auto &[cSection, cChemin] : SectionsDossiers(iniSetup, cAlbum))
        iniSetup.EraseSection(cSection);
    iniSetup.EraseSection(SectionAlbum(cAlbum));
    TResultat R;
    Sauve(iniSetup, R);
    return R;
}

TResultat RenommeAlbum(TBigIniFile &iniSetup, const QString &cAncien, const QString &cNouveau)
{
    const QString c = cNouveau.trimmed();
    if (const QString cRefus = RefusNomRenommage(c); !cRefus.isEmpty())
        return Refus(cRefus);
    for (const QString &cAutre : TousLesAlbums(iniSetup))
        if (!Egaux(cAutre, cAncien) && Egaux(cAutre, c))
            return Refus(cValeurIncorrecte);
    if (c == cAncien || !AlbumExiste(iniSetup, cAncien))
        return {};
    // The folder sections are read before the album's own section changes its name.
    const auto Sections = SectionsDossiers(iniSetup, cAncien);
    DeplacerSection(iniSetup, SectionAlbum(cAncien), SectionAlbum(c));
    for (const auto &[cSection, cChemin] : Sections)
        DeplacerSection(iniSetup, cSection, SectionDossier(c, cChemin));
    TResultat R;
    Sauve(iniSetup, R);
    return R;
}

QString NomNouveauDossier(const QStringList &Chemins, const std::optional<QString> &cParent)
{
    const QStringList Noms = Enfants(Chemins, cParent);
    for (int n = 1;; ++n) {
        const QString c = QStringLiteral("Nouveau%1").arg(n);
        if (!Noms.contains(c, Qt::CaseInsensitive))
            return c;
    }
}

TResultat CreeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const std::optional<QString> &cParent)
{
    QStringList Chemins = LitDossiers(iniSetup, cAlbum);
    if (!AlbumExiste(iniSetup, cAlbum) || (cParent && !Chemins.contains(*cParent, Qt::CaseInsensitive)))
        return {};
    const QString cNom = NomNouveauDossier(Chemins, cParent);
    const QString cChemin = cParent ? *cParent + QLatin1Char('/') + cNom : cNom;
    Chemins << cChemin;
    EcrireDossiers(iniSetup, cAlbum, Chemins);
    TResultat R;
    R.cChemin = cChemin;
    Sauve(iniSetup, R);
    return R;
}

TResultat RenommeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin,
                         const QString &cNouveauNom)
{
    const QString cNom = cNouveauNom.trimmed();
    if (const QString cRefus = RefusNomRenommage(cNom); !cRefus.isEmpty())
        return Refus(cRefus);
    QStringList Chemins = LitDossiers(iniSetup, cAlbum);
    if (!Chemins.contains(cChemin, Qt::CaseInsensitive))
        return {};
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    const std::optional<QString> cParent = n < 0 ? std::nullopt : std::optional<QString>(cChemin.left(n));
    const QString cAncienNom = cChemin.mid(n + 1);
    for (const QString &cFrere : Enfants(Chemins, cParent))
        if (!Egaux(cFrere, cAncienNom) && Egaux(cFrere, cNom))
            return Refus(cValeurIncorrecte);
    const QString cNouveau = cParent ? *cParent + QLatin1Char('/') + cNom : cNom;
    TResultat R;
    R.cChemin = cNouveau;
    if (cNouveau == cChemin)
        return R;
    auto Renomme = [&](const QString &c) { return cNouveau + c.mid(cChemin.size()); };
    for (QString &c : Chemins)
        if (DansSousArbre(c, cChemin))
            c = Renomme(c);
    for (const auto &[cSection, cSous] : SectionsSousArbre(iniSetup, cAlbum, cChemin))
        DeplacerSection(iniSetup, cSection, SectionDossier(cAlbum, Renomme(cSous)));
    EcrireDossiers(iniSetup, cAlbum, Chemins);
    Sauve(iniSetup, R);
    return R;
}

TResultat SupprimeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin, bool lEffaceImages)
{
    if (!LitDossiers(iniSetup, cAlbum).contains(cChemin, Qt::CaseInsensitive))
        return {};
    RetireDossier(iniSetup, cAlbum, cChemin, lEffaceImages);
    TResultat R;
    R.cChemin = CheminParent(cChemin);
    Sauve(iniSetup, R);
    return R;
}

bool PeutDeposer(const QStringList &Chemins, const QString &cSource, const QString &cCible)
{
    if (!Chemins.contains(cSource, Qt::CaseInsensitive) || !Chemins.contains(cCible, Qt::CaseInsensitive))
        return false;
    if (DansSousArbre(cCible, cSource))
        return false;
    const qsizetype n = cSource.lastIndexOf(QLatin1Char('/'));
    if (n >= 0 && Egaux(cSource.left(n), cCible))
        return false;
    return !Enfants(Chemins, cCible).contains(NomDossier(cSource), Qt::CaseInsensitive);
}

TResultat CopieDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cSource, const QString &cCible,
                       bool lImages, bool lDeplace)
{
    QStringList Chemins = LitDossiers(iniSetup, cAlbum);
    if (!PeutDeposer(Chemins, cSource, cCible))
        return {};
    const QString cNouveau = cCible + QLatin1Char('/') + NomDossier(cSource);
    auto Copie = [&](const QString &c) { return cNouveau + c.mid(cSource.size()); };
    for (const QString &c : SousArbre(Chemins, cSource))
        Chemins << Copie(c);
    if (lImages)
        for (const auto &[cSection, cSous] : SectionsSousArbre(iniSetup, cAlbum, cSource))
            CopieCles(iniSetup, cSection, SectionDossier(cAlbum, Copie(cSous)));
    EcrireDossiers(iniSetup, cAlbum, Chemins);
    if (lDeplace)
        RetireDossier(iniSetup, cAlbum, cSource, lImages);
    TResultat R;
    R.cChemin = cNouveau;
    Sauve(iniSetup, R);
    return R;
}

QStringList ImagesDossier(const TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin)
{
    QStringList Cles;
    iniSetup.ReadSection(SectionDossier(cAlbum, cChemin), Cles);
    return Cles;
}

QStringList ImagesAlbumPerso(const TBigIniFile &iniSetup, const QString &cAlbum)
{
    QStringList Resultat;
    QSet<QString> Vues;
    for (const auto &[cSection, cChemin] : SectionsDossiers(iniSetup, cAlbum)) {
        QStringList Cles;
        iniSetup.ReadSection(cSection, Cles);
        for (const QString &cCle : std::as_const(Cles))
            if (!Vues.contains(cCle)) {
                Vues.insert(cCle);
                Resultat << cCle;
            }
    }
    return Resultat;
}

bool PeutGerer(TGestion nGestion, const QString &cAlbum, const QString &cChemin, const QString &cAlbumCible,
               const std::optional<QString> &cCheminCible)
{
    if (nGestion == TGestion::Supprime)
        return true;
    if (!cCheminCible)
        return false;
    return !(Egaux(cAlbum, cAlbumCible) && Egaux(cChemin, *cCheminCible));
}

TResultat GereImages(TBigIniFile &iniSetup, TGestion nGestion, const QString &cAlbum, const QString &cChemin,
                     const QStringList &Cles, const QString &cAlbumCible, const QString &cCheminCible)
{
    if (Cles.isEmpty() || !PeutGerer(nGestion, cAlbum, cChemin, cAlbumCible, cCheminCible))
        return {};
    const QString cSource = SectionDossier(cAlbum, cChemin);
    if (nGestion != TGestion::Supprime) {
        const QString cCible = SectionDossier(cAlbumCible, cCheminCible);
        for (const QString &cCle : Cles)
            iniSetup.WriteString(cCible, cCle, QString());
    }
    if (nGestion != TGestion::Copie) {
        for (const QString &cCle : Cles)
            iniSetup.DeleteKey(cSource, cCle);
        QStringList Reste;
        iniSetup.ReadSection(cSource, Reste);
        if (Reste.isEmpty())
            iniSetup.EraseSection(cSource);
    }
    TResultat R;
    R.cChemin = cChemin;
    Sauve(iniSetup, R);
    return R;
}

TResultat AjouteImages(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin, const QStringList &Cles)
{
    if (Cles.isEmpty() || !AlbumExiste(iniSetup, cAlbum))
        return {};
    const QString cSection = SectionDossier(cAlbum, cChemin);
    for (const QString &cCle : Cles)
        iniSetup.WriteString(cSection, cCle, QString());
    TResultat R;
    R.cChemin = cChemin;
    Sauve(iniSetup, R);
    return R;
}
} // namespace AlbumsWebPerso
