#pragma once
// Scroll bars whose thumb reads as the thumb.
//
// Where no desktop theme chooses a style (a bare X server, a virtual display), Qt draws with
// its Fusion style, whose scroll bar thumb is lighter than its track. Beside a white page the
// light thumb melts into the page, and the darker rest of the track is what the eye takes for
// the thumb: short, and at the wrong end (at the bottom while the top of the text shows).
// This style draws the thumb over the track in the palette's mid tone, outlined in its dark
// one, darker still while hovered or dragged (on a dark palette, in a light tone, lighter still);
// everything else is the underlying style's.

#include <QProxyStyle>

class QApplication;
class QScrollBar;

class TStyleBarres : public QProxyStyle
{
    Q_OBJECT
public:
    // Over pBase (owned), or over the desktop's default style when null.
    explicit TStyleBarres(QStyle *pBase = nullptr);
    void drawComplexControl(ComplexControl nControle, const QStyleOptionComplex *pOption, QPainter *pPeintre,
                            const QWidget *pWidget = nullptr) const override;
    // The colour the thumb is filled with in that state (sunken: dragged; survole: hovered).
    static QColor CouleurCurseur(const QPalette &Palette, bool lEnfonce, bool lSurvole);
};

// Gives the bar that style (owned by the bar), unless the application's style already draws
// its bars so.
void MarqueCurseur(QScrollBar *pBarre);
// Every scroll bar of the application.
void InstalleStyleBarres(QApplication *pApplication);
