#include "components/StyleBarres.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>

TStyleBarres::TStyleBarres(QStyle *pBase) : QProxyStyle(pBase) {}

QColor TStyleBarres::CouleurCurseur(const QPalette &Palette, bool lEnfonce, bool lSurvole)
{
    // On a dark palette the thumb stands out by being lighter than the track instead.
    if (Palette.color(QPalette::Window).lightness() < 128) {
        const QColor c = Palette.color(QPalette::Midlight);
        return lEnfonce ? c.lighter(125) : lSurvole ? c.lighter(112) : c;
    }
    const QColor c = Palette.color(QPalette::Mid);
    return lEnfonce ? c.darker(118) : lSurvole ? c.darker(108) : c;
}

void TStyleBarres::drawComplexControl(ComplexControl nControle, const QStyleOptionComplex *pOption, QPainter *pPeintre,
                                      const QWidget *pWidget) const
{
    QProxyStyle::drawComplexControl(nControle, pOption, pPeintre, pWidget);
    if (nControle != CC_ScrollBar)
        return;
    const auto *o = qstyleoption_cast<const QStyleOptionSlider *>(pOption);
    if (!o || !(o->subControls & SC_ScrollBarSlider) || o->minimum == o->maximum)
        return;
    const QRect r = subControlRect(nControle, o, SC_ScrollBarSlider, pWidget);
    if (r.isEmpty())
        return;
    const bool lActif = o->activeSubControls & SC_ScrollBarSlider;
    const bool lVertical = o->orientation == Qt::Vertical;
    pPeintre->save();
    pPeintre->setRenderHint(QPainter::Antialiasing, false);
    pPeintre->setPen(o->palette.color(QPalette::Dark));
    pPeintre->setBrush(
        CouleurCurseur(o->palette, lActif && (o->state & State_Sunken), lActif && (o->state & State_MouseOver)));
    // Across the bar, a pixel of track shows on each side; along it, the thumb's whole length.
    pPeintre->drawRect(r.adjusted(lVertical ? 1 : 0, lVertical ? 0 : 1, lVertical ? -2 : -1, lVertical ? -1 : -2));
    pPeintre->restore();
}

void MarqueCurseur(QScrollBar *pBarre)
{
    if (!pBarre || qobject_cast<TStyleBarres *>(QApplication::style()) || qobject_cast<TStyleBarres *>(pBarre->style()))
        return;
    // Over the style the application uses now, whatever it is.
    auto *pStyle = new TStyleBarres(QStyleFactory::create(QApplication::style()->name()));
    pStyle->setParent(pBarre);
    pBarre->setStyle(pStyle);
}

void InstalleStyleBarres(QApplication *pApplication)
{
    if (pApplication && !qobject_cast<TStyleBarres *>(QApplication::style()))
        QApplication::setStyle(new TStyleBarres(QStyleFactory::create(QApplication::style()->name())));
}
