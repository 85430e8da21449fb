#include "components/ColorComboBox.h"

#include "platform/Couleurs.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>

TColorComboBox::TColorComboBox(QWidget *parent) : QComboBox(parent)
{
    setFixedWidth(nLargeur);
    setItemDelegate(new TColorItemDelegate(this));
    Remplit();
}

void TColorComboBox::set_SysColors(bool l)
{
    if (l == m_lSysColors)
        return;
    m_lSysColors = l;
    Remplit();
}

void TColorComboBox::Remplit()
{
    const int nCourant = currentIndex();
    const QPalette pal = palette();
    clear();
    const QStringList l = Couleurs::Noms(m_lSysColors);
    for (int i = 0; i < l.size(); ++i) {
        // The closed box shows the swatch through the item's icon.
        QPixmap px(12, 12);
        px.fill(Couleurs::Couleur(i, pal));
        QPainter p(&px);
        p.setPen(Qt::black);
        p.drawRect(0, 0, 11, 11);
        p.end();
        addItem(QIcon(px), l.at(i));
    }
    setCurrentIndex(Couleurs::IndexValide(nCourant, m_lSysColors) ? nCourant : -1);
}

void TColorComboBox::ChoisitCouleur(int nIndex, int nDefaut)
{
    setCurrentIndex(Couleurs::IndexOuDefaut(nIndex, nDefaut, m_lSysColors));
}

QColor TColorComboBox::Couleur() const
{
    return currentIndex() < 0 ? QColor(Qt::black) : Couleurs::Couleur(currentIndex(), palette());
}

void TColorComboBox::changeEvent(QEvent *e)
{
    QComboBox::changeEvent(e);
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange)
        Remplit();
}

void TColorItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int n = index.row();
    const QRect r = option.rect;
    const QPalette &pal = option.palette;
    const bool lChoisi = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(r, pal.color(lChoisi ? QPalette::Highlight : QPalette::Base));
    painter->setPen(pal.color(lChoisi ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(r.adjusted(15, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    const QRect rc(r.left() + 1, r.top() + 1, 12, r.height() - 2);
    painter->fillRect(rc, Couleurs::Couleur(n, pal));
    painter->setPen(Qt::black);
    painter->drawRect(rc.adjusted(0, 0, -1, -1));
    if (n == 16 || n == Couleurs::nNbCouleursFixes) {
        painter->setPen(pal.color(QPalette::Button));
        painter->drawLine(r.topLeft(), r.topRight());
    }
    painter->restore();
}

QSize TColorItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), TColorComboBox::nHauteurItem);
}
