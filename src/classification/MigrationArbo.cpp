#include "classification/MigrationArbo.h"

#include "classification/ArboCriteres.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace
{
bool EstIndentation(char c)
{
    return c == '\t' || c == ' ';
}

// The old file in the data folder, whatever the case of its name; empty when there is none.
QString TrouveFichierAncien(const QString &cDossierDonnees)
{
    QDir Dossier(cDossierDonnees);
    const QStringList Noms = Dossier.entryList(
        {cFichierArboAncien}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &cNom : Noms)
        if (cNom.compare(cFichierArboAncien, Qt::CaseInsensitive) == 0)
            return Dossier.filePath(cNom);
    return {};
}

// The whole file, or nothing when it is not a regular file, too large or unreadable.
std::optional<QByteArray> LitFichier(const QString &cFichier)
{
    const QFileInfo Info(cFichier);
    if (!Info.isFile() || Info.size() > nMaxOctetsArboAncien)
        return std::nullopt;
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray Contenu = f.read(nMaxOctetsArboAncien + 1);
    if (Contenu.size() > nMaxOctetsArboAncien || f.error() != QFileDevice::NoError)
        return std::nullopt;
    return Contenu;
}
} // namespace

TLectureArboAncien LitArboAncien(const QByteArray &Contenu)
{
    TLectureArboAncien Lecture;
    QStringList Ascendants; // captions of the current line's ancestors, top level first
    int nNiveauPrecedent = -1;
    qsizetype nDebut = 0;
    while (nDebut < Contenu.size()) {
        qsizetype nFin = Contenu.indexOf('\n', nDebut);
        if (nFin < 0)
            nFin = Contenu.size();
        QByteArrayView Ligne(Contenu.constData() + nDebut, nFin - nDebut);
        nDebut = nFin + 1;
        while (!Ligne.isEmpty() && (Ligne.back() == '\r' || EstIndentation(Ligne.back())))
            Ligne.chop(1);
        qsizetype nNiveau = 0;
        while (nNiveau < Ligne.size() && EstIndentation(Ligne[nNiveau]))
            ++nNiveau;
        if (nNiveau == Ligne.size())
            continue;
        const QString cCaption = DecodeLigne(Ligne.sliced(nNiveau));
        if (nNiveau > nNiveauPrecedent + 1) {
            Lecture.lErreurNiveau = true;
            Lecture.nNiveauErreur = int(std::min<qsizetype>(nNiveau, std::numeric_limits<int>::max()));
            Lecture.cCaptionErreur = cCaption;
            break;
        }
        Ascendants.resize(nNiveau);
        Ascendants.append(cCaption);
        Lecture.Chemins.append(Ascendants.join(u'/'));
        nNiveauPrecedent = int(nNiveau);
    }
    return Lecture;
}

TResultatMigrationArbo MigreArboCriteres(TBigIniFile &iniSetup, const QString &cDossierDonnees, IMessages &Messages,
                                         QWidget *Parent)
{
    TResultatMigrationArbo Resultat;
    const QString cVersion = iniSetup.ReadString(cSectionGeneral, QStringLiteral("kcVersion"), QString());
    if (!(cVersion < cVersionArboDansSetup))
        return Resultat;
    const QString cFichier = TrouveFichierAncien(cDossierDonnees);
    if (cFichier.isEmpty())
        return Resultat;

    const std::optional<QByteArray> Contenu = LitFichier(cFichier);
    if (!Contenu) {
        Resultat.Issue = TIssueMigrationArbo::Illisible;
        Messages.Erreur(Parent, QStringLiteral("Impossible de lire l'ancien fichier des critères « KX.arb » ; "
                                               "il est conservé."));
        return Resultat;
    }
    const TLectureArboAncien Lecture = LitArboAncien(*Contenu);
    Resultat.nCheminsLus = int(Lecture.Chemins.size());
    for (const QString &cChemin : Lecture.Chemins)
        if (!iniSetup.ValueExists(cSectionCritHier, cChemin))
            iniSetup.WriteString(cSectionCritHier, cChemin, QString());
    const bool lSauve = !iniSetup.Modifie() || iniSetup.UpdateFile();

    if (Lecture.lErreurNiveau) {
        Resultat.Issue = TIssueMigrationArbo::ErreurNiveau;
        Messages.Erreur(Parent, QStringLiteral("Niveau incorrect (%1) pour l'élément \"%2\"")
                                    .arg(QString::number(Lecture.nNiveauErreur), Lecture.cCaptionErreur));
        Messages.Attention(Parent, QStringLiteral("Le fichier « KX.arb » est conservé."));
        return Resultat;
    }
    // The old file goes only once its nodes are safely in the saved store.
    if (!lSauve) {
        Resultat.Issue = TIssueMigrationArbo::EchecSauvegarde;
        return Resultat;
    }
    QFile::remove(cFichier);
    Resultat.Issue = TIssueMigrationArbo::Convertie;
    return Resultat;
}
