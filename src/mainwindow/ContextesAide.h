#pragma once
// The help's contexts and pages. A control carries a context number in the property
// `cProprieteContexte`: a positive number is a help page, a negative one a short pop-up topic
// (its absolute value), 0 or none says to look at its parents. This file holds what needs no
// window: the table context → page#anchor, the help's contents and index read from their
// text files, the search over the pages and the check of their links.

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

inline constexpr const char *cProprieteContexte = "nContexteAide";

// The contexts other windows set on themselves.
namespace ContextesAide
{
inline constexpr int nAccueil = 10;
inline constexpr int nExplorateurBDD = 20;
inline constexpr int nArbresExplorateurBDD = -16;
inline constexpr int nParametres = 30;
inline constexpr int nAlbumsImages = 40;
inline constexpr int nAlbumWEB = 50;
inline constexpr int nAlbumsWEBPerso = 51;
inline constexpr int nClassement = 60;
inline constexpr int nFiltres = 70;
inline constexpr int nFiltresRecherche = 71;
inline constexpr int nFiltresCD = 72;
inline constexpr int nExtraction = 80;
inline constexpr int nGestion = 90;
} // namespace ContextesAide

// Sets the help context of a control (a window sets its own, and its parts theirs).
inline void FixeContexteAide(QObject *Controle, int nContexte)
{
    if (Controle)
        Controle->setProperty(cProprieteContexte, nContexte);
}

// The page of the help home.
inline constexpr const char *cPageAccueil = "accueil.html";

// The page (and anchor, after '#') of a positive context, of the pop-up topic of a negative
// one; the home page for a context without page.
QString PageDeContexte(int nContexte);
// Every context the table knows, for the tests and the checks.
QList<int> ContextesConnus();

// What the help pages hold, by page file name (no folder).
using TPagesAide = QMap<QString, QString>;

// The page file of a link ("page.html#ancre", "#ancre" in cPageCourante); empty when the page
// or the anchor does not exist.
QString ResoutLien(const TPagesAide &Pages, const QString &cLien, const QString &cPageCourante = {});
// The anchors (`id` or `name`) of a page.
QStringList AncresDePage(const QString &cHtml);
// The links of a page (href values), external ones left out.
QStringList LiensDePage(const QString &cHtml);
// Every link of every page that leads nowhere, as "page: lien".
QStringList LiensCasses(const TPagesAide &Pages);

// A page's title (its <title>) and its plain text (tags and entities gone).
QString TitrePage(const QString &cHtml);
QString TextePage(const QString &cHtml);
// Lower case, accents gone: the form words are compared in.
QString FormeRecherche(const QString &c);
// The pages holding every word of cMots (accents and case ignored), in the order of Pages.
QStringList PagesContenant(const TPagesAide &Pages, const QString &cMots);

// One entry of the index: a keyword and the page#anchor it leads to.
struct TEntreeIndex
{
    QString cMot;
    QString cLien;
};
// Reads the index file: one "mot-clé<TAB>page.html#ancre" per line; lines that do not fit are
// left out, and at most nMaxEntrees are read.
QList<TEntreeIndex> LitIndex(const QString &cTexte, int nMaxEntrees = 5000);
// The entries whose keyword holds the filter (accents and case ignored), sorted by keyword.
QList<TEntreeIndex> FiltreIndex(const QList<TEntreeIndex> &Index, const QString &cFiltre);

// One line of the contents: its depth (0 for a chapter), its caption and its page.
struct TEntreeSommaire
{
    int nNiveau = 0;
    QString cTitre;
    QString cLien;
};
// Reads the contents file: "titre<TAB>page.html" per line, each leading two spaces one level
// deeper; lines that do not fit are left out.
QList<TEntreeSommaire> LitSommaire(const QString &cTexte, int nMaxEntrees = 1000);
