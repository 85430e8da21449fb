#pragma once
// Keywords as the rest of the program sees them: the vocabulary of every keyword in use, the
// keyword tree built from it, the whole-word test that keeps a keyword from being added
// twice, the rules that clean what is typed or written, and the saved keyword sets of the
// search page with its AND/OR operator.
//
// An image's keywords are the value of its key in `MOTS-CLES`: upper-case words of
// A-Z 0-9 & + , - . _ separated by single blanks. Other tools write that section too, so
// nothing here relies on a value being clean.

#include "storage/Sections.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

class TBigIniFile;

inline const QString cCaptionGroupeMotsCles = QStringLiteral("Mots-clés");

// ---- Vocabulary ----------------------------------------------------------------------------

// Sorts in French order without regard to case (the order FrenchFormats::Compare gives); the
// collation key of each text is computed once. Texts of equal order keep their relative order.
void TrieFrancais(QStringList &Liste);

// Every word of the given keyword values, each once, sorted as TrieFrancais does. A value is
// split on blanks (spaces and tabs) and empty words are ignored; words equal without regard to
// case are one word, spelt as first met.
QStringList VocabulaireMotsCles(const QStringList &Valeurs);

// Fills the list (cleared first) with the vocabulary of the store's `MOTS-CLES` section.
void ListerMotsCles(const TBigIniFile &iniSetup, QStringList &Liste);

// ---- Keyword tree --------------------------------------------------------------------------

// One node of a keyword tree, in pre-order: the group node "Mots-clés" (level 0, icons 4 and 5
// of the trees' image list) and then one keyword per node (level 1, icons 6 and 7).
struct TNoeudMotCle
{
    QString cCaption;
    int nNiveau = 0;
    int nImage = 0;
    int nImageSelection = 0;
    // False for the group node, which is neither added to a text nor dropped on an image.
    bool lMotCle = false;
    friend bool operator==(const TNoeudMotCle &, const TNoeudMotCle &) = default;
};

// The group node followed by one node per keyword, in the given order; nothing for an empty
// list. The views show it with every node expanded and the group node selected.
std::vector<TNoeudMotCle> NoeudsMotsCles(const QStringList &MotsCles);

// What the keyword panel shows, rebuilt at every showing so that keywords added meanwhile
// appear: the nodes of the whole vocabulary. Empty when no image has a keyword, in which case
// the panel is not shown.
std::vector<TNoeudMotCle> ArboMotsCles(const TBigIniFile &iniSetup);

// ---- Whole words ---------------------------------------------------------------------------

// True when cMotCle stands in cTexte as a whole word: the whole text, or at its start before a
// blank, or between two blanks, or at its end after a blank. Case counts.
bool MotCleEntierPresent(const QString &cTexte, const QString &cMotCle);

// Adds a keyword to a keyword text unless it is there as a whole word: the text becomes the
// trimmed text, a blank and the keyword, trimmed. Returns whether the text changed; a text
// already holding the keyword is left exactly as it was.
bool AjouteMotCleTexte(QString &cTexte, const QString &cMotCle);

// ---- Cleaning ------------------------------------------------------------------------------

// True for the characters a keyword may hold once upper-cased: A-Z 0-9 & + , - . _
bool CaractereMotCle(QChar c);

// A keyword text as every writer of `MOTS-CLES` stores it: letters a-z upper-cased, every other
// character outside the keyword characters dropped, words separated by single blanks, no blank
// at either end. Spaces, tabs and line breaks separate words.
QString NormaliseMotsCles(const QString &cTexte);

// What the keyword box accepts, whether typed, pasted or dropped: letters a-z upper-cased,
// blank & * + , - . 0-9 A-Z _ kept, tabs and line breaks turned into blanks, anything else
// dropped (an accented letter too, even where its capital would be a plain letter). Blanks are
// left as typed: the box holds a text being written.
QString FiltreSaisieMotsCles(const QString &cTexte);
// The same, moving the cursor position nPos back by the characters dropped before it, as a
// validator has to.
void FiltreSaisieMotsCles(QString &cTexte, int &nPos);

// ---- Saved keyword sets and the operator ---------------------------------------------------

// The keyword state of the search page: the saved keyword sets of `MOTS-CLES ENREGISTRES`, as
// the keyword box lists them, and the operator between the keywords of a search.
class TMotsClesRecherche
{
public:
    // Pale yellow of the keyword box while the operator is OR; with AND it has the window's
    // own colour.
    static inline const QColor CouleurOU{255, 255, 128};

    // True for AND, false for OR. Starts true at every run and is never stored.
    bool lOperateurET = true;

    // Replaces the list with the section's keys, read in stored order and kept sorted as
    // TrieFrancais does (sets of equal order stay in stored order). Run at start-up and after
    // the criteria editor, which may delete sets.
    void ChargerMotsClesEnregistres(const TBigIniFile &iniSetup);

    // The saved sets, sorted.
    const QStringList &MotsClesEnregistres() const { return m_Enregistres; }

    // The index of the saved set equal to the text without regard to case, or -1: the entry
    // the box selects when its text changes.
    int IndiceEnregistre(const QString &cTexte) const;

    // Whether the save button is enabled: in update mode, for a text not blank.
    static bool SauvegardePossible(bool lModeMAJ, const QString &cTexte);

    // Saves the box's text as a set. The text is trimmed and given back trimmed; a blank text
    // does nothing. The text is added unless a set equal to it without regard to case exists;
    // the section is then erased and written again with every set in sorted order, and the
    // settings store saved. When the store cannot be written, returns false and gives the
    // message to show under "Erreur"; the set stays in the list and the store keeps it for its
    // next save.
    bool EnregistrerMotsCles(TBigIniFile &iniSetup, QString &cTexte, QString &cErreur);

private:
    QStringList m_Enregistres;
};
