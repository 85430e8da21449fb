#pragma once
// The record of one image filter: what narrows the images a listing shows (kind, file-name
// models, size, date, description, EXIF and IPTC values, colour content, resemblance to a
// pattern). Plain data with its defaults, kept here beside the other stored records so that
// the application context can hold the three filters by value; every rule that reads or
// writes it lives in the filters module.

#include <QDate>
#include <QRect>
#include <QString>
#include <QtGlobal>

struct TEnrFiltres
{
    // Derived from the fields below (CalculeIndicateurs in the filters module).
    bool lActif = false;
    bool lGeneral = false;
    int nPageFiltres = 0;
    int nPageIPTC = 0;

    // "Général": 0 all images, 1 favourites, 2 with a classification, 3 without.
    int nImages = 0;
    bool lJPEG = true;
    bool lRAW = true;
    bool lPNG = true;
    bool lModeles = false;
    bool lTailleInf = false;
    bool lTailleSup = false;
    bool lDateAnt = false;
    bool lDatePst = false;
    bool lDescription = false;
    QString cModeles; // file-name models separated by blanks
    QString cDescription;
    // Saved as 32-bit numbers; held and compared as 64-bit so that a large TIF is judged right.
    qint64 nTailleInf = 0;
    qint64 nTailleSup = 0;
    QDate dDateAnt = QDate::currentDate();
    QDate dDatePst = QDate::currentDate();

    // EXIF: masks and values with an operator each (0 none, "<", "<=", "=", ">=", ">", "<>").
    bool lFiltreEXIF = false;
    QString cFAppareil;
    QString cFFocale;
    QString cFVitesse;
    QString cFDiaphragme;
    QString cFISO;
    QString cFCommentaire;
    QDate dFDatePDV = QDate::currentDate();
    int nOpFocale = 0;
    int nOpVitesse = 0;
    int nOpDiaphragme = 0;
    int nOpDatePDV = 0;
    int nOpISO = 0;

    // IPTC: masks by group; keyword and supplemental-category masks joined by QChar(1).
    bool lFiltreIPTC = false;
    bool lFLegende = false;
    bool lFMotsCles = false;
    bool lFCategorie = false;
    bool lFCredits = false;
    bool lFOrigine = false;
    QString cFTitre;
    QString cFTexte;
    QString cFCopyright;
    QString cFAuteur;
    QString cFMotsCles;
    QString cFCategorie;
    QString cFCatSuppl;
    QString cFCredits;
    QString cFSource;
    QString cFOriNom;
    QString cFOriVille;
    QString cFOriEtat;
    QString cFOriPays;
    QString cFOriDate = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    int nOpOriDate = 0;

    // Colour content.
    bool lColorimetrie = false;
    quint8 nTeinte = 120;
    quint8 nSaturation = 120;
    quint8 nLuminosite = 120;
    quint8 nMethColorimetrie = 0; // 4 hue, 2 saturation, 1 luminosity
    quint8 nTolColorimetrie = 32;
    quint8 nSeuilColorimetrie = 75;
    quint8 nResColorimetrie = 0; // percentage found by the last colour test

    // Resemblance to a pattern image.
    bool lMotif = false;
    bool lMotifSym = false;
    bool lMotifZone = false;
    QString cMotif; // file name in the data folder's Motifs/
    quint8 nMethPixMotif = 4;
    quint8 nTolMotif = 32;
    quint8 nSeuilMotif = 75;
    quint8 nMethZoneMotif = 0;
    // Left, top, right, bottom in pattern-image pixels, right and bottom included.
    QRect rZoneMotif = QRect(QPoint(0, 0), QPoint(0, 0));
    quint8 nResMotif = 0; // percentage found by the last pattern test
};
