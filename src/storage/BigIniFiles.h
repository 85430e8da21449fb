#pragma once
// The sectioned text store: one INI-form file held wholly in memory.
//
// Every persistent datum of the program goes through this class. The text of the file is the
// only observable state; lookups go through hashed indexes so that a catalogue with a hundred
// thousand sections is read and changed without walking it. Reads change nothing, so several
// threads may read one store at once as long as none writes to it meanwhile.

#include <QString>
#include <QByteArrayView>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TBigIniFile
{
public:
    // Section names match without regard to case unless lSectionsSensiblesCasse is set (the
    // catalogue store, whose section names are case-sensitive image keys).
    explicit TBigIniFile(const QString &cNomFichier, bool lSectionsSensiblesCasse = false);
    ~TBigIniFile();
    TBigIniFile(const TBigIniFile &) = delete;
    TBigIniFile &operator=(const TBigIniFile &) = delete;

    // True at creation: every change is written at once. The long-lived stores switch it off.
    bool lAutoSave = true;

    QString FileName() const;

    QString ReadString(const QString &cSection, const QString &cCle, const QString &cDefaut) const;
    int ReadInteger(const QString &cSection, const QString &cCle, int nDefaut) const;
    bool ReadBool(const QString &cSection, const QString &cCle, bool lDefaut) const;

    void WriteString(const QString &cSection, const QString &cCle, const QString &cValeur);
    void WriteInteger(const QString &cSection, const QString &cCle, int nValeur);
    void WriteBool(const QString &cSection, const QString &cCle, bool lValeur);

    void DeleteKey(const QString &cSection, const QString &cCle);
    // The keys of the section's key lines in file order (cleared first), decoded.
    void ReadSection(const QString &cSection, QStringList &Liste) const;
    // The whole "key=value" lines of the section in file order (cleared first), as they stand
    // in the file: a key holding "=", "%" or a line break shows its escaped form ("%3D"...).
    void ReadSectionValues(const QString &cSection, QStringList &Liste) const;
    // Every section name in file order, a name present twice listed twice (cleared first).
    void ReadSections(QStringList &Liste) const;
    void EraseSection(const QString &cSection);

    // The sections (in file order, each once) holding a key line whose key equals cChemin or
    // begins with cChemin followed by "/": one pass over the raw key lines, a line being
    // decoded only when it holds an escape.
    QStringList SectionsSousChemin(const QString &cChemin) const;
    // Raw reading for what is built over a whole store: views into the store's text, valid until
    // the store changes. A key or name holding an escape is given decoded, lEchappe then set
    // (its bytes may not be UTF-8); a value is given as it stands in the file.
    struct TLigneBrute
    {
        QByteArrayView Cle;
        QByteArrayView Valeur;
        bool lEchappe = false;
    };
    // Calls f for each key line of the section in file order; false when there is no section.
    bool ParcourtSection(const QString &cSection, const std::function<void(const TLigneBrute &)> &f) const;
    // Calls fSection for every section in file order, a name present twice visited twice, with
    // its name and whether a lookup by that name finds this section; when it returns true,
    // fLigne is then called for each key line of the section.
    void ParcourtSections(const std::function<bool(QByteArrayView cNom, bool lEchappe, bool lTrouvee)> &fSection,
                          const std::function<void(const TLigneBrute &)> &fLigne) const;
    // For each section SectionsSousChemin would name, in that order: f gets its name and keys
    // (as ReadSection gives them) and may change the keys; when it returns true the section's
    // lines become one line per key, each with an empty value, as RemplaceSection would make
    // them. One pass over the store, each section found once.
    void RecleSectionsSousChemin(const QString &cChemin,
                                 const std::function<bool(const QString &cSection, QStringList &Cles)> &f);
    // Replaces the lines of the section with one line per (key, value), in the given order;
    // the section keeps its place in the file. An empty list erases the section. Counts as
    // one change of the section.
    void RemplaceSection(const QString &cSection, const std::vector<std::pair<QString, QString>> &Lignes);
    // Gives the section cAncien the name cNouveau, keeping its lines and its place in the file.
    // A section already named cNouveau is erased first, so the renamed one replaces it. False
    // (nothing changed) when cAncien does not exist or both names are the same section.
    bool RenommeSection(const QString &cAncien, const QString &cNouveau);
    // Re-keys lines of a section in place: each key line whose key begins with cPrefixe is
    // offered to fnNouvelle, and gets the key it returns (keeping its value and position);
    // an empty answer leaves the line alone. Any other line holding one of the new keys is
    // removed, so the re-keyed line wins; of two lines re-keyed to the same key the first
    // stays. Returns the number of lines re-keyed; counts as one change of the section.
    int RecleSection(const QString &cSection, const QString &cPrefixe,
                     const std::function<QString(const QString &cCle)> &fnNouvelle);

    // Atomic save (temporary file, fsync, rename, fsync of the folder). On failure the old
    // file stays whole, the lines stay in memory for the next save, false is returned and
    // DerniereErreur() says why. A store that could not be read is never saved over its file.
    // A file that changed on disk since it was read or last saved (another program wrote it)
    // is first kept beside it under a dated name, CopieConservee(), then replaced.
    bool UpdateFile();

    // True when the file exists but could not be read whole: the store then starts empty and
    // refuses to replace the file.
    bool Illisible() const;
    // Why the file could not be read (empty when it was read or is new).
    QString ErreurLecture() const;
    // Why the file could not be read, or why the last save failed (empty after a good save).
    QString DerniereErreur() const;
    // The dated copy of another program's version that the last save kept (empty when none).
    QString CopieConservee() const;

    // The longest line a store holds: line lengths are kept in 32 bits. A file with a longer
    // line is unreadable. Tests lower the limit to try it without gigabytes; the setter
    // returns the previous limit.
    static qint64 LongueurMaxLigne();
    static qint64 FixeLongueurMaxLigne(qint64 nLongueur);

    bool SectionExists(const QString &cSection) const;
    bool ValueExists(const QString &cSection, const QString &cCle) const;

    // True when a change has not been saved yet.
    bool Modifie() const;

    // Change counters, so that what is derived from a store knows when to refresh. The
    // store's counter grows by one at every change (a write that changes a line, a deleted
    // key, an erased section); a section's counter is the store's counter at that section's
    // last change, 0 when it has not changed since loading. Erasing and re-creating a section
    // moves its counter too.
    quint64 Generation() const;
    quint64 GenerationSection(const QString &cSection) const;
    // One change: the section and key given to the write or deletion; an erased section has a
    // null key.
    struct TChangement
    {
        QString cSection;
        QString cCle;
    };
    // The changes made after the store's counter was nDepuis, oldest first, when the store
    // still remembers them all (it keeps the last few thousand); false otherwise.
    bool ChangementsDepuis(quint64 nDepuis, std::vector<TChangement> &Liste) const;

private:
    struct TDonnees;
    std::unique_ptr<TDonnees> d;
};

// Saves a store a batch changed (lModifie), clearing the mark once saved; a failure adds
// "Le catalogue n'a pas pu être enregistré : <file>" to cErreurs.
void EnregistreSiModifie(TBigIniFile &ini, bool &lModifie, QStringList &cErreurs);
