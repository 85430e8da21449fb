#pragma once
// The preview of a web album's layout ("Aperçu de l'album WEB"): a tool window beside the
// album window that paints the drawing of publishing/ApercuAlbumWEB. The album window creates,
// shows and frees it; the user cannot close it.

#include "publishing/ApercuAlbumWEB.h"

#include <QWidget>

class TfmAlbumWEBApercu : public QWidget
{
    Q_OBJECT
public:
    explicit TfmAlbumWEBApercu(QWidget *Album);

    // Takes the top left of the album window's screen, the width that the album window leaves
    // (at least 300) and 600 pixels of height, then shows itself.
    void Montre();
    // Redraws the layout of these options with nLignes rows.
    void RafraichirApercu(const TOptionsAlbumWEB &Options, int nLignes);

    const TGeometrieApercu &Geometrie() const { return m_Geo; }
    // The full client height, taken when the window was shown.
    int HauteurPleine() const { return m_nH; }
    int HauteurTitre() const;

protected:
    void closeEvent(QCloseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    QWidget *m_pAlbum;
    TOptionsAlbumWEB m_Options;
    TGeometrieApercu m_Geo;
    int m_nH = 600;
};
