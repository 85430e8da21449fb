#include "storage/Migrations.h"

#include "platform/DesktopEntry.h"
#include "platform/OperationsFichiers.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/DataFolder.h"
#include "storage/Sections.h"
#include "storage/Settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace
{
const QString cCleVersion = QStringLiteral("kcVersion");
const QString cSectionFiltres = QStringLiteral("SAUVEGARDE FILTRES");

// Every section that may hold an image key: the drive letter and the separators of the
// earlier platform are taken out of all of them.
const QStringList cSectionsCles =
    cSectionsMigration115 + QStringList{cSectionLegendes, cSectionIPTC, cSectionDescriptions};

bool FormeLecteur(const QString &cChemin, QChar cSeparateur)
{
    return cChemin.size() >= 2 && cChemin.at(0).isLetter() && cChemin.at(0).unicode() < 128
           && cChemin.at(1) == cSeparateur;
}

// Gives every image key a new name where fnConversion has one: the catalogue's sections (from
// the last to the first) and the keys of the image sections of the settings. True when the
// catalogue changed.
bool RecleStores(TContexteMigration &C, const std::function<QString(const QString &)> &fnConversion)
{
    bool lBDD = false;
    QStringList Sections;
    C.iniBDD.ReadSections(Sections);
    for (qsizetype i = Sections.size() - 1; i >= 0; --i) {
        const QString cNouvelle = fnConversion(Sections.at(i));
        if (cNouvelle.isEmpty())
            continue;
        QStringList Cles;
        C.iniBDD.ReadSection(Sections.at(i), Cles);
        QList<QPair<QString, QString>> Lignes;
        for (const QString &cCle : Cles)
            Lignes.append({cCle, C.iniBDD.ReadString(Sections.at(i), cCle, QString())});
        C.iniBDD.EraseSection(Sections.at(i));
        for (const auto &[cCle, cValeur] : Lignes)
            C.iniBDD.WriteString(cNouvelle, cCle, cValeur);
        lBDD = true;
    }
    for (const QString &cSection : ListeSectionsImage(C.iniSetup, cSectionsCles)) {
        QStringList Cles;
        C.iniSetup.ReadSection(cSection, Cles);
        for (qsizetype i = Cles.size() - 1; i >= 0; --i) {
            const QString &cCle = Cles.at(i);
            if (!cCle.startsWith(QLatin1Char('<')))
                continue;
            const QString cNouvelle = fnConversion(cCle);
            if (cNouvelle.isEmpty())
                continue;
            const QString cValeur = C.iniSetup.ReadString(cSection, cCle, QString());
            C.iniSetup.DeleteKey(cSection, cCle);
            C.iniSetup.WriteString(cSection, cNouvelle, cValeur);
        }
    }
    return lBDD;
}

void SauveBDD(TContexteMigration &C)
{
    if (!C.iniBDD.UpdateFile())
        C.lEchec = true;
}

// Renames without ever replacing: a name already taken keeps both files as they are.
void RenommeVignette(const QString &cAncien, const QString &cNouveau)
{
    RenommeSansRemplacer(cAncien, cNouveau);
}

// A counting step is done once per run, however often it is called.
bool PremiereFois(TContexteMigration &C, const QString &cEtape)
{
    if (C.Faits.contains(cEtape))
        return false;
    C.Faits.insert(cEtape);
    return true;
}

// ---- The steps ----

// The zoom list gained its first entry ("Ajusté"): the stored index moves down by one.
void ZoomAjuste(TContexteMigration &C, const QString &)
{
    if (C.iniSetup.ValueExists(cSectionGeneral, cCleVersion)
        || !C.iniSetup.ValueExists(cSectionGeneral, QStringLiteral("nRapZoom"))
        || !PremiereFois(C, QStringLiteral("1")))
        return;
    const int n = C.iniSetup.ReadInteger(cSectionGeneral, QStringLiteral("nRapZoom"), 0);
    C.iniSetup.WriteInteger(cSectionGeneral, QStringLiteral("nRapZoom"), n + 1);
}

void AlbumSansNom(TContexteMigration &C, const QString &)
{
    QStringList Sections;
    C.iniSetup.ReadSections(Sections);
    // The store matches names without regard to case, but the album sections ":name" are
    // other sections: only the bare name is the old album.
    if (!Sections.contains(cSectionAlbumImages, Qt::CaseInsensitive))
        return;
    QStringList Cles;
    C.iniSetup.ReadSection(cSectionAlbumImages, Cles);
    const QString cNouvelle = cSectionAlbumImages + QStringLiteral(":Sans Nom");
    for (const QString &cCle : Cles)
        C.iniSetup.WriteString(cNouvelle, cCle, QString());
    C.iniSetup.EraseSection(cSectionAlbumImages);
}

void VerbeAncienNom(TContexteMigration &C, const QString &)
{
    const QString cDossier =
        C.cDossierApplications.isEmpty() ? DossierApplicationsUtilisateur() : C.cDossierApplications;
    SupprimeVerbeDossier(cDossier, QStringLiteral("Orbelune"));
}

// Thumbnails of JPEG images were once named after the image alone: they get the ".JPG" end
// every cache name has.
void VignettesJPG(TContexteMigration &C, const QString &)
{
    if (!C.fnEstJPEG || !C.fnEstImage || C.Dossiers.cDossierVignettes.isEmpty())
        return;
    QStringList Fichiers;
    QDirIterator It(C.Dossiers.cDossierVignettes, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (It.hasNext())
        Fichiers << It.next();
    for (const QString &cFichier : Fichiers) {
        const QString cNom = QFileInfo(cFichier).fileName();
        if (!C.fnEstJPEG(cNom))
            continue;
        const QString cSansExtension = cNom.left(cNom.lastIndexOf(QLatin1Char('.')));
        if (C.fnEstImage(cSansExtension))
            continue;
        RenommeVignette(cFichier, cFichier + QStringLiteral(".JPG"));
    }
}

// CD image keys lose their drive letter; their thumbnails lose the drive's "X#" likewise.
void SansLecteur(TContexteMigration &C, const QString &)
{
    if (RecleStores(C, CleSansLecteur))
        SauveBDD(C);
    if (!C.fnEstImage || C.Dossiers.cDossierVignettes.isEmpty())
        return;
    const QDir Racine(C.Dossiers.cDossierVignettes);
    for (const QFileInfo &Sous : Racine.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QDir Dossier(Sous.filePath());
        for (const QString &cNom : Dossier.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (C.fnEstImage(cNom) && FormeLecteur(cNom, QLatin1Char('#')) && cNom.size() > 2)
                RenommeVignette(Dossier.filePath(cNom), Dossier.filePath(cNom.mid(2)));
        }
    }
}

void DonneesVignettesCD(TContexteMigration &C, const QString &)
{
    QStringList Cles;
    C.iniSetup.ReadSection(cSectionTaillesVignettes, Cles);
    for (const QString &cCle : Cles)
        if (!cCle.startsWith(QLatin1Char('<')))
            C.iniSetup.DeleteKey(cSectionTaillesVignettes, cCle);
    C.iniSetup.ReadSection(cSectionResolutionsVignettes, Cles);
    for (const QString &cCle : Cles)
        if (!cCle.startsWith(QLatin1Char('<')) && C.fnEstJPEG && C.fnEstJPEG(cCle))
            C.iniSetup.DeleteKey(cSectionResolutionsVignettes, cCle);
}

// Two smaller sizes were added at the front of the thumbnail size table.
void TaillesVignettes(TContexteMigration &C, const QString &)
{
    const QString cCle = QStringLiteral("nIndTailleVigs");
    if (!C.iniSetup.ValueExists(cSectionGeneral, cCle) || !PremiereFois(C, QStringLiteral("7")))
        return;
    C.iniSetup.WriteInteger(cSectionGeneral, cCle, C.iniSetup.ReadInteger(cSectionGeneral, cCle, 0) + 2);
}

void CouleurFondDonnees(TContexteMigration &C, const QString &)
{
    const QString cSection = QStringLiteral("ALBUMS WEB:GENERAL");
    const QString cAncienne = QStringLiteral("nAWCoulFondLegende");
    if (!C.iniSetup.ValueExists(cSection, cAncienne))
        return;
    C.iniSetup.WriteString(cSection, QStringLiteral("nAWCoulFondDonnees"),
                           C.iniSetup.ReadString(cSection, cAncienne, QString()));
    C.iniSetup.DeleteKey(cSection, cAncienne);
}

// Rewrites every saved filter through fnChamps (which changes the fields it knows the count
// of); a value left as it was is not rewritten.
void RecritFiltres(TContexteMigration &C, const std::function<void(QStringList &)> &fnChamps)
{
    QStringList Cles;
    C.iniSetup.ReadSection(cSectionFiltres, Cles);
    for (const QString &cCle : Cles) {
        QStringList Champs = ChampsFiltre(C.iniSetup.ReadString(cSectionFiltres, cCle, QString()));
        const QStringList Avant = Champs;
        fnChamps(Champs);
        if (Champs != Avant)
            C.iniSetup.WriteString(cSectionFiltres, cCle, JoinsChampsFiltre(Champs));
    }
}

void FiltresCouleurs(TContexteMigration &C, const QString &)
{
    RecritFiltres(C, [](QStringList &Champs) {
        if (Champs.size() == 39) {
            Champs << QStringList{"120", "120", "120", "0", "32", "75", "0", "",  "4",
                                  "0",   "32",  "75",  "0", "0",  "0",  "0", "0", "0"};
        } else if (Champs.size() == 51) {
            const QStringList Ajout{"120", "120", "120", "0", "32", "75"};
            for (qsizetype i = 0; i < Ajout.size(); ++i)
                Champs.insert(39 + i, Ajout.at(i));
        }
    });
}

void LegendesPreRemplies(TContexteMigration &C, const QString &)
{
    const QString cAncienne = QStringLiteral("lPreRemplCBLEG");
    if (C.iniSetup.ValueExists(cSectionGeneral, cAncienne)) {
        C.iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lPreRemplCBLeg"),
                             C.iniSetup.ReadBool(cSectionGeneral, cAncienne, true));
        C.iniSetup.DeleteKey(cSectionGeneral, cAncienne);
    }
    RecritFiltres(C, [](QStringList &Champs) {
        if (Champs.size() == 57) {
            Champs.insert(12, QStringLiteral("0"));
            Champs.insert(13, QString());
        }
    });
}

// Data folders of the earlier platform keep "\" in the paths of CD keys.
void SeparateursLinux(TContexteMigration &C, const QString &)
{
    if (RecleStores(C, CleSeparateursLinux))
        SauveBDD(C);
}
} // namespace

QStringList ChampsFiltre(const QString &cValeur)
{
    // As the filter codec reads a record: pieces between "|", blanks around them ignored.
    QStringList Items;
    QString cReste = cValeur.trimmed();
    for (;;) {
        const qsizetype p = cReste.indexOf(QLatin1Char('|'));
        if (p < 0)
            break;
        Items << cReste.left(p);
        cReste = cReste.mid(p + 1).trimmed();
    }
    if (!cReste.isEmpty())
        Items << cReste;
    return Items;
}

QString JoinsChampsFiltre(const QStringList &Champs)
{
    QString c;
    for (const QString &cChamp : Champs)
        c += cChamp + QLatin1Char('|');
    return c;
}

QString CleSansLecteur(const QString &cCle)
{
    const TEnrLST e = DecomposeCle(cCle);
    if (e.nVolume == 0 || !FormeLecteur(e.cChemin, QLatin1Char(':')))
        return {};
    return CleImage(e.nVolume, e.cChemin.mid(2));
}

QString CleSeparateursLinux(const QString &cCle)
{
    const TEnrLST e = DecomposeCle(cCle);
    if (e.nVolume == 0 || !e.cChemin.startsWith(QLatin1Char('\\')))
        return {};
    return CleImage(e.nVolume, QString(e.cChemin).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

QList<TMigration> ListeMigrations()
{
    return {
        {QString(), ZoomAjuste},
        {QStringLiteral("v 1.30"), AlbumSansNom},
        {QStringLiteral("v 1.05"), VerbeAncienNom},
        {QStringLiteral("v 1.09"), VignettesJPG},
        {QStringLiteral("v 1.15"), SansLecteur},
        {QStringLiteral("v 1.21"), DonneesVignettesCD},
        {QStringLiteral("v 1.31"), TaillesVignettes},
        {QStringLiteral("v 1.33"), CouleurFondDonnees},
        {QStringLiteral("v 1.37"), FiltresCouleurs},
        {QStringLiteral("v 1.41"), LegendesPreRemplies},
        {QString(), SeparateursLinux},
    };
}

int ExecuteMigrations(TContexteMigration &Contexte, const QList<TMigration> &Migrations,
                      const QString &cVersionActuelle)
{
    const QString cVersionStockee = Contexte.iniSetup.ReadString(cSectionGeneral, cCleVersion, QString());
    int nExecutees = 0;
    for (const TMigration &Migration : Migrations) {
        const bool lApplicable = Migration.cVersion.isEmpty() || cVersionStockee < Migration.cVersion;
        if (lApplicable && Migration.Executer) {
            Migration.Executer(Contexte, cVersionStockee);
            ++nExecutees;
        }
    }
    // A step that could not save its work leaves the version as it was, and the settings
    // unsaved with it: the next start runs the steps again from the same state.
    if (Contexte.lEchec)
        return nExecutees;
    // Data already at this version, or written by a later one, keeps its version.
    if (cVersionStockee < cVersionActuelle)
        Contexte.iniSetup.WriteString(cSectionGeneral, cCleVersion, cVersionActuelle);
    if (Contexte.iniSetup.Modifie() && !Contexte.iniSetup.UpdateFile())
        Contexte.lEchec = true;
    return nExecutees;
}
