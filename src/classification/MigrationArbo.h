#pragma once
// The one-time conversion of the criteria tree of versions before "v 1.40", kept in the data
// folder's file "KX.arb", into the settings store's section `CRITERES HIERARCHIQUES`.
//
// The old file holds one node per line in tree order; each leading TAB or blank counts one
// level. A user's tree is never lost on the way: the file is deleted only once every node has
// been written and the store saved; a line that breaks the indentation keeps the nodes read
// before it and keeps the file.

#include <QByteArray>
#include <QString>
#include <QStringList>

class IMessages;
class QWidget;
class TBigIniFile;

inline const QString cFichierArboAncien = QStringLiteral("KX.arb");
// Versions from this one on keep the tree in the settings store.
inline const QString cVersionArboDansSetup = QStringLiteral("v 1.40");

// What the old file holds: the path of every node read, in tree order, and, when a line came
// more than one level deeper than the previous one, that line's level and caption (nothing
// after it is read).
struct TLectureArboAncien
{
    QStringList Chemins;
    bool lErreurNiveau = false;
    int nNiveauErreur = 0;
    QString cCaptionErreur;
};

// Reads the old file's text. Lines empty or made of blanks only are skipped; each line is
// decoded as UTF-8 when valid, else as Windows-1252.
TLectureArboAncien LitArboAncien(const QByteArray &Contenu);

// A file larger than this is not a criteria tree.
inline constexpr qint64 nMaxOctetsArboAncien = 16 * 1024 * 1024;

enum class TIssueMigrationArbo {
    SansObjet,      // version from "v 1.40" on, or no old file
    Convertie,      // every node written, store saved, old file deleted
    ErreurNiveau,   // nodes before the bad line written and saved, old file kept
    Illisible,      // old file could not be read: nothing written, file kept
    EchecSauvegarde // the store could not be saved: file kept for the next start
};

struct TResultatMigrationArbo
{
    TIssueMigrationArbo Issue = TIssueMigrationArbo::SansObjet;
    int nCheminsLus = 0;
};

// The conversion run at start-up, after the settings have been read and before the version
// migrations record the new version (it reads the stored `kcVersion` to decide). The old
// file's name is matched without regard to case, as on the platform that wrote it. A path
// already in the section keeps its value (its icon). Problems are told through Messages:
// the level error, then that the file is kept; or that the file could not be read.
TResultatMigrationArbo MigreArboCriteres(TBigIniFile &iniSetup, const QString &cDossierDonnees, IMessages &Messages,
                                         QWidget *Parent = nullptr);
