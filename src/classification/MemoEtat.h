#pragma once
// The state memo under the image pane: one tab per kind of information about the current
// image (its path, keywords, legend, description, EXIF and IPTC texts), each with its colour.
// What a tab shows is decided here; the window only puts it on screen.

#include <QColor>
#include <QString>
#include <QStringList>

struct TEnrLV;
class TClassement;

// The contents' numbers: they stay the same whether the "Description" tab is shown or not.
enum TContenuMemoEtat {
    nMemoNom = 0,
    nMemoMotsCles,
    nMemoLegende,
    nMemoDescription,
    nMemoEXIF,
    nMemoCommentaireEXIF,
    nMemoLegendeIPTC,
    nMemoMotsClesIPTC,
    nNbContenusMemoEtat
};

// The tab captions in order; "Description" only while descriptions are handled.
QStringList OngletsMemoEtat(bool lTrtDescription);
// The content number of a visible tab: with descriptions off, the tabs from the fourth on are
// one content further on (the fourth shows the EXIF summary, not the description).
int ContenuOngletMemoEtat(int nOnglet, bool lTrtDescription);
QString TitreContenuMemoEtat(int nContenu);
QColor CouleurContenuMemoEtat(int nContenu);

struct TMemoEtat
{
    QString cTexte;
    QColor Couleur;
    QString cBulle; // in the program's markup
};

// The memo for an entry (none: all empty) and a content number.
TMemoEtat RemplitMemoEtat(const TEnrLV *pEnr, int nContenu, const TClassement &Classement);
