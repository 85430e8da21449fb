#pragma once
// The image pane of the main window: the current entry's picture, loaded on a worker at the
// size the zoom needs, with the zoom list `cbZoom`, the loading gauge, the placeholders of an
// unreadable file or an absent CD, the pane's pop-up and the full-screen view on a double
// click. It follows the selection object's current entry.

#include "exploration/ChargeurImage.h"
#include "mainwindow/Fonctionnalite.h"

#include <QImage>
#include <QObject>

#include <functional>

class QProgressBar;
class TComboZoom;
class TContexte;
class TListeImagesKX;
class TPanneauImage;
class TSelectionKX;
class TfmMainKX;
struct TEnrLV;

class TAfficheImageKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TAfficheImageKX(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste);
    ~TAfficheImageKX() override;

    // Shows an entry's image (-1: none), at "1:1" when asked.
    void AfficheImage(int nLigne, bool lZoom11 = false);
    // Applies the zoom list's entry to the picture shown.
    void cbZoomChange();
    // Makes the shown picture again from the decode at hand, through fnTraitement: the
    // treatments changed, not the file, so the ImageChange reported for the image next does
    // not read the file again. False when no decode of the current image is kept.
    bool RetraiteImage();

    // The treatment step: the picture as loaded (maybe a reduction) in, the picture to show
    // out; it may turn it. The remembered treatments hook here.
    std::function<QImage(const QImage &Image, const TEnrLV &Enr)> fnTraitement;
    // The full-screen view, shown modally with the picture and its background colour.
    std::function<void(const QImage &Image, const QColor &Fond)> fnPleinEcran;
    // Opens the full-screen view on the current image, as a double click on the pane does.
    void OuvrePleinEcran() { imImageDblClick(); }
    // The picture's hint for an entry; the full path unless set.
    std::function<QString(const TEnrLV &Enr)> fnBulleImage;

    // While the full-screen view is up, the hidden pane decodes nothing: it takes the view's
    // picture of the current image (already treated). When the view closes it shows the
    // current image again at its own scale.
    void DebutPleinEcran();
    void ImagePleinEcran(const QString &cFichier, const QImage &Image, QSize Taille);
    void FinPleinEcran();

    TChargeurImage &Chargeur() { return *m_pChargeur; }
    // The picture of the current entry could be read (the zoom list is enabled).
    bool ImageLue() const { return m_lLue; }
    // The image's own width and height, as shown (after the treatments).
    QSize TailleImage() const { return m_TailleImage; }

private:
    void CouranteChange(int nLigne);
    void Pret(const TImageDecodee &Image);
    void Progres(int nEtape, int nPourcent);
    void imImageDblClick();
    void MontreSubstitut(const QImage &Image);
    void Termine();
    void Attente(bool lAttente);
    QString FichierSuivant(int nLigne) const;
    TDemandeImage Demande(const QString &cFichier) const;

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TListeImagesKX &m_Liste;
    TSelectionKX &m_Selection;
    TPanneauImage *sbImage = nullptr;
    TComboZoom *cbZoom = nullptr;
    QProgressBar *ggChrgImg = nullptr;
    TChargeurImage *m_pChargeur = nullptr;

    int m_nLigne = -1;
    QString m_cFichier; // the file being shown or loaded; empty for a placeholder
    bool m_lLue = false;
    bool m_lAttente = false;
    bool m_lPleinEcran = false;
    QSize m_TailleImage;
    bool m_lTournee = false; // the treatments turned the picture a quarter
    qint64 m_nCleSource = 0; // the decode the shown picture was made from
    QString m_cCleRetraitee; // the image RetraiteImage made again, until its ImageChange
};

TAfficheImageKX *InstalleAfficheImage(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste);
