#include "components/ComboZoom.h"

#include "exploration/RapportZoom.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace
{
QFont PoliceEntree(const QFont &Base, int nIndex)
{
    QFont Police = Base;
    Police.setBold(nIndex == RapportZoom::nUnUn);
    return Police;
}

class TDelegueZoom : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *Option, const QModelIndex &Index) const override
    {
        QStyledItemDelegate::initStyleOption(Option, Index);
        Option->font = PoliceEntree(Option->font, Index.row());
    }
};
}

TComboZoom::TComboZoom(QWidget *Parent) : QComboBox(Parent)
{
    for (int i = 0; i < RapportZoom::nNombre; ++i)
        addItem(RapportZoom::Texte(i));
    setItemDelegate(new TDelegueZoom(this));
    setMaxVisibleItems(RapportZoom::nNombre);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setFocusPolicy(Qt::NoFocus);
}

void TComboZoom::paintEvent(QPaintEvent *)
{
    // The closed list shows its entry in that entry's font; the style greys it when disabled.
    QStylePainter p(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    p.drawComplexControl(QStyle::CC_ComboBox, Option);
    p.setFont(PoliceEntree(font(), currentIndex()));
    p.drawControl(QStyle::CE_ComboBoxLabel, Option);
}
