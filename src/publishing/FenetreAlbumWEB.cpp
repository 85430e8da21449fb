#include "publishing/FenetreAlbumWEB.h"

#include "platform/FrenchFormats.h"
#include "platform/Messages.h"
#include "platform/OperationsFichiers.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>

namespace
{
QString AvecBarre(QString c)
{
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

// True when cDossier is cAutre or holds it (canonical paths: links and ".." cannot hide it).
bool EstOuContient(const QString &cDossier, const QString &cAutre)
{
    if (cAutre.isEmpty())
        return false;
    const QString cCanonDossier = QFileInfo(cDossier).canonicalFilePath();
    QString cCanonAutre = QFileInfo(cAutre).canonicalFilePath();
    if (cCanonAutre.isEmpty())
        cCanonAutre = QDir::cleanPath(QDir(cAutre).absolutePath());
    if (cCanonDossier.isEmpty())
        return false;
    return AvecBarre(cCanonAutre).startsWith(AvecBarre(cCanonDossier));
}

QString RefusRemplacement(const QString &cNom)
{
    return QStringLiteral("Le dossier « %1 » existe déjà et n'est pas un album WEB : choisissez un autre nom.")
        .arg(cNom.trimmed());
}

// lstat: a dangling link is still something in the way.
bool Present(const QString &c)
{
    struct stat st;
    return ::lstat(QFile::encodeName(c).constData(), &st) == 0;
}
} // namespace

TActivationAlbumWEB ActivationAlbumWEB(const TEtatAlbumWEB &E)
{
    TActivationAlbumWEB A;
    const bool lVignettesSeules = E.nContenu == caVignettesSeules;
    const bool lNom = !E.cNom.trimmed().isEmpty();
    A.lOK = lNom && (E.nDisponibles > 0 || (lVignettesSeules && E.nImgsSource > 0));
    A.lNomFenImgPE = E.nContenu == caVignettesEtLiens;
    A.lDispoVig = E.nContenu == caFrames;
    A.lReduction = !lVignettesSeules;
    A.lAffLegende = !lVignettesSeules;
    A.lTypeLegende = A.lAffLegende && E.lAffLegende;
    A.lPolice = E.lAffNom || E.lAffResol || E.lAffTaille || E.lAffDate || E.lAffLegende;
    A.lCoulCadre = E.lAffCadre;
    A.lHierDansVoletRech = E.Hierarchique();
    A.lLignesVisibles = !E.Hierarchique();
    A.lColonnesVisibles = !(E.Hierarchique() && E.nContenu == caFrames);
    return A;
}

QString TexteCompteAlbumWEB(const TEtatAlbumWEB &E)
{
    if (E.Hierarchique())
        return (E.nContenu == caFrames ? QStringLiteral("%1 Image(s)") : QStringLiteral("%1 Image(s) à disposer sur"))
            .arg(E.nDisponibles);
    if (E.nContenu == caVignettesSeules)
        return QStringLiteral("%1 Vignette(s) à organiser en").arg(E.nImgsSource);
    return QStringLiteral("%1 Image(s) à organiser en").arg(E.nDisponibles);
}

int NbImagesGrilleAlbumWEB(const TEtatAlbumWEB &E)
{
    return E.nContenu == caVignettesSeules ? E.nImgsSource : E.nDisponibles;
}

namespace
{
int Plafond(int n, int d)
{
    return d <= 0 ? 1 : (n + d - 1) / d;
}
} // namespace

TGrilleAlbumWEB GrilleAlbumWEB(int n)
{
    TGrilleAlbumWEB G;
    G.nMax = std::max(n, 1);
    G.nLignes = std::clamp(Plafond(n, 5), 1, G.nMax);
    G.nColonnes = std::clamp(n < 5 ? n : 5, 1, G.nMax);
    return G;
}

TGrilleAlbumWEB GrilleSelonLignes(int n, int nLignes)
{
    TGrilleAlbumWEB G = GrilleAlbumWEB(n);
    G.nLignes = std::clamp(nLignes, 1, G.nMax);
    G.nColonnes = std::clamp(Plafond(n, G.nLignes), 1, G.nMax);
    return G;
}

TGrilleAlbumWEB GrilleSelonColonnes(int n, int nColonnes)
{
    TGrilleAlbumWEB G = GrilleAlbumWEB(n);
    G.nColonnes = std::clamp(nColonnes, 1, G.nMax);
    G.nLignes = std::clamp(Plafond(n, G.nColonnes), 1, G.nMax);
    return G;
}

QStringList AlbumsPersoAlbumWEB(const TBigIniFile &P)
{
    const QString cPrefixe = cSectionAlbumWeb + QLatin1Char(':');
    const QString cCle = QStringLiteral("<aDossiers>");
    QStringList Sections;
    P.ReadSections(Sections);
    QStringList Noms;
    for (const QString &cSection : std::as_const(Sections)) {
        if (!cSection.startsWith(cPrefixe, Qt::CaseInsensitive))
            continue;
        const QString cNom = cSection.mid(cPrefixe.size());
        if (!cNom.isEmpty() && !Noms.contains(cNom) && !P.ReadString(cSection, cCle, {}).trimmed().isEmpty())
            Noms << cNom;
    }
    std::sort(Noms.begin(), Noms.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
    return Noms;
}

TComptesAlbumWEB TComptesAlbumsPerso::Comptes(const QString &cNom)
{
    const auto It = m_Comptes.constFind(cNom);
    if (It != m_Comptes.constEnd())
        return *It;
    const TComptesAlbumWEB C = m_fnCompte ? m_fnCompte(cNom) : TComptesAlbumWEB{};
    m_Comptes.insert(cNom, C);
    return C;
}

void RelocaliseImagesAlbumWEB(QList<TEnrLstAW> &Images, const IVolumes &Volumes)
{
    const TLecteursCD Lecteurs(Volumes);
    for (TEnrLstAW &l : Images) {
        TEnrLV &Enr = l.EnrLV;
        QString cLecteur;
        Enr.lExiste = LecteurDeCle(Lecteurs, Enr.nNumCD, Enr.cChemin, cLecteur);
        if (Enr.nNumCD != 0)
            Enr.cLecteur = cLecteur.isEmpty() ? QString() : cLecteur.chopped(1);
    }
}

bool InitAlbumWEB(TEtatAlbumWEB &E, TSourceDonneesAW &Source, const TParamsAlbumWEB &Params)
{
    E.nSource = Source.nSource;
    if ((Source.nSource == saAlbumImages || Source.nSource == saListeImages) && Params.pVolumes)
        RelocaliseImagesAlbumWEB(Source.lstImages, *Params.pVolumes);
    if (Source.nSource == saHierPerso) {
        // The real counts come with the album chosen in the window.
        E.nImgsSource = 1;
        E.nDisponibles = 0;
    } else {
        const TComptesAlbumWEB C = CompterImagesAlbumWEB(Source, Params);
        E.nImgsSource = C.nImgsSource;
        E.nDisponibles = C.nDisponibles;
    }
    return E.nImgsSource > 0;
}

bool EstRacineAlbumWEB(const QString &cDossier, const IVolumes &Volumes)
{
    const QString c = AvecBarre(QDir::cleanPath(cDossier));
    if (c == QLatin1String("/"))
        return true;
    const QList<TVolume> Liste = Volumes.Liste();
    return std::any_of(Liste.begin(), Liste.end(),
                       [&](const TVolume &v) { return AvecBarre(QDir::cleanPath(v.cPointMontage)) == c; });
}

TOptionsAlbumWEB ReglagesAlbumWEB(const TBigIniFile &P, const QString &cDossierDonnees, int nLegendes)
{
    TOptionsAlbumWEB O = LitOptionsAlbumWEB(P);
    if (O.cAWDosParentAlbum.trimmed().isEmpty() || !QFileInfo(O.cAWDosParentAlbum).isDir())
        O.cAWDosParentAlbum = cDossierDonnees;
    if (O.lAWTypeLegende < 0 || O.lAWTypeLegende >= nLegendes)
        O.lAWTypeLegende = 0;
    return O;
}

QString ErreurNomAlbumWEB(const QString &cNom)
{
    const QString c = cNom.trimmed();
    const bool lCorrect = !c.isEmpty() && c != QLatin1String(".") && c != QLatin1String("..")
                          && !c.contains(QLatin1Char('/')) && !c.contains(QChar(0))
                          && QFile::encodeName(c).size() <= 255;
    return lCorrect ? QString() : QStringLiteral("Nom d'album incorrect : « %1 ».").arg(c);
}

QString DossierAlbumWEB(const QString &cParent, const QString &cNom)
{
    return AvecBarre(AvecBarre(cParent) + cNom.trimmed());
}

QString CleHistoriqueAlbumWEB(const QString &cDossier)
{
    return AvecBarre(QDir::cleanPath(cDossier));
}

TVerifDossierAlbumWEB VerifieDossierAlbumWEB(const QString &cDossier, const QString &cNom, const TBigIniFile &P,
                                             const QString &cDossierDonnees, const QString &cDossierVignettes)
{
    TVerifDossierAlbumWEB V;
    const QString cSansBarre = QDir::cleanPath(cDossier);
    if (!Present(cSansBarre))
        return V;
    const QFileInfo Info(cSansBarre);
    const bool lAlbum = P.ValueExists(cSectionAlbumsWebHistorique, CleHistoriqueAlbumWEB(cSansBarre))
                        || QFileInfo::exists(cSansBarre + QStringLiteral("/Index.htm"));
    if (Info.isSymLink() || !Info.isDir() || !lAlbum || EstOuContient(cSansBarre, cDossierDonnees)
        || EstOuContient(cSansBarre, cDossierVignettes)) {
        V.nEtat = TEtatDossierAlbumWEB::Refuse;
        V.cMessage = RefusRemplacement(cNom);
        return V;
    }
    V.nEtat = TEtatDossierAlbumWEB::Remplacable;
    return V;
}

QString RefusJetAlbumWEB(const QString &cDossier, const TProtectionsAlbumWEB &P, bool lIndexRequis)
{
    const QString cChemin = QDir::cleanPath(cDossier);
    const QString cRefus =
        QStringLiteral("Le dossier « %1 » n'est pas un album WEB : il n'est pas supprimé.").arg(cChemin);
    if (!QDir::isAbsolutePath(cChemin) || cChemin == QLatin1String("/"))
        return cRefus;
    struct stat st, stParent;
    if (::lstat(QFile::encodeName(cChemin).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return cRefus;
    // A mount point lies on another device than its parent (or is its own parent).
    const QByteArray cParent = QFile::encodeName(cChemin + QStringLiteral("/.."));
    if (::stat(cParent.constData(), &stParent) != 0 || stParent.st_dev != st.st_dev || (stParent.st_ino == st.st_ino))
        return cRefus;
    if (lIndexRequis) {
        struct stat stIndex;
        if (::lstat(QFile::encodeName(cChemin + QStringLiteral("/Index.htm")).constData(), &stIndex) != 0
            || !S_ISREG(stIndex.st_mode))
            return cRefus;
    }
    const QString cMaison = P.cDossierPersonnel.isEmpty() ? QDir::homePath() : P.cDossierPersonnel;
    for (const QString &cProtege : {cMaison, P.cDossierDonnees, P.cDossierVignettes})
        if (EstOuContient(cChemin, cProtege))
            return cRefus;
    return {};
}

TJetAlbumWEB JetteAlbumWEB(const QString &cDossier, const TProtectionsAlbumWEB &P, bool lIndexRequis,
                           IOperationsFichiers &Operations)
{
    TJetAlbumWEB J;
    J.cRaison = RefusJetAlbumWEB(cDossier, P, lIndexRequis);
    if (!J.cRaison.isEmpty())
        return J;
    const TResultatOperation r = Operations.Corbeille(QDir::cleanPath(cDossier));
    if (!r.lOk) {
        J.nEtat = TEtatJetAlbumWEB::Echec;
        J.cRaison = r.cErreur.isEmpty() ? TexteErreurFichier(r.nErrno) : r.cErreur;
        return J;
    }
    J.nEtat = TEtatJetAlbumWEB::Jete;
    return J;
}

bool CreeDossierAlbumWEB(const QString &cDossier, QString &cRaison)
{
    const QString cPlein = QDir::cleanPath(QDir(cDossier).absolutePath());
    const QStringList Parties = cPlein.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString c;
    for (const QString &cPartie : Parties) {
        c += QLatin1Char('/') + cPartie;
        if (QFileInfo(c).isDir())
            continue;
        if (::mkdir(QFile::encodeName(c).constData(), 0777) != 0 && errno != EEXIST) {
            cRaison = TexteErreurFichier(errno);
            return false;
        }
    }
    if (!QFileInfo(cPlein).isDir()) {
        cRaison = TexteErreurFichier(ENOTDIR);
        return false;
    }
    return true;
}

QString PrepareDossierAlbumWEB(const TPreparationAlbumWEB &D, const TBigIniFile &P, IOperationsFichiers &Operations,
                               IMessages &Messages, QWidget *Parent)
{
    const QString cErreurNom = ErreurNomAlbumWEB(D.cNom);
    if (!cErreurNom.isEmpty()) {
        Messages.Erreur(Parent, cErreurNom);
        return {};
    }
    const QString cNom = D.cNom.trimmed();
    const QString cDossier = DossierAlbumWEB(D.cParent, cNom);
    const TVerifDossierAlbumWEB V = VerifieDossierAlbumWEB(cDossier, cNom, P, D.cDossierDonnees, D.cDossierVignettes);
    if (V.nEtat == TEtatDossierAlbumWEB::Refuse) {
        Messages.Erreur(Parent, V.cMessage);
        return {};
    }
    if (V.nEtat == TEtatDossierAlbumWEB::Remplacable) {
        if (!Messages.Question(Parent, QStringLiteral("Le dossier '%1' existe déjà.\r\n\r\nL'écraser ?").arg(cNom)))
            return {};
        const TJetAlbumWEB r = JetteAlbumWEB(cDossier, {D.cDossierDonnees, D.cDossierVignettes, {}}, false, Operations);
        if (r.nEtat == TEtatJetAlbumWEB::Refuse) {
            Messages.Erreur(Parent, RefusRemplacement(cNom));
            return {};
        }
        if (r.nEtat == TEtatJetAlbumWEB::Echec) {
            Messages.Erreur(
                Parent,
                QStringLiteral("Impossible de mettre le dossier '%1' à la corbeille.\n%2").arg(cNom, r.cRaison));
            return {};
        }
    }
    QString cRaison;
    if (!CreeDossierAlbumWEB(cDossier, cRaison)) {
        Messages.Erreur(Parent, QStringLiteral("Impossible de créer le dossier '%1'.\n%2").arg(cNom, cRaison));
        return {};
    }
    return cDossier;
}

bool ConclutAlbumWEB(TBigIniFile &P, const TOptionsAlbumWEB &O, const TBilanAlbumWEB &Bilan, QString &cErreurSauvegarde)
{
    EcritOptionsAlbumWEB(P, O);
    const bool lIndex = !Bilan.lRefuse && QFileInfo::exists(O.cAWDossierAlbum + QStringLiteral("Index.htm"));
    if (lIndex)
        P.WriteString(cSectionAlbumsWebHistorique, CleHistoriqueAlbumWEB(O.cAWDossierAlbum), QString());
    cErreurSauvegarde.clear();
    if (!P.UpdateFile())
        cErreurSauvegarde = QStringLiteral("%1 : %2").arg(P.FileName(), P.DerniereErreur());
    return lIndex && !Bilan.lInterrompu && Bilan.cErreur.isEmpty();
}

int NbAlbumsHistorique(const TBigIniFile &P)
{
    QStringList Cles;
    P.ReadSection(cSectionAlbumsWebHistorique, Cles);
    return int(std::count_if(Cles.begin(), Cles.end(), [](const QString &cCle) {
        return QFileInfo::exists(AvecBarre(cCle) + QStringLiteral("Index.htm"));
    }));
}

bool OuvrePageAlbumWEB(const QString &cPage)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {cPage});
}
