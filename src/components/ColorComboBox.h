#pragma once
// A colour picker over the program's colour table: the item index is the colour index that
// the settings store.

#include <QComboBox>
#include <QStyledItemDelegate>

class TColorComboBox : public QComboBox
{
    Q_OBJECT
public:
    static constexpr int nLargeur = 193;
    static constexpr int nHauteurItem = 14;

    explicit TColorComboBox(QWidget *parent = nullptr);

    bool _SysColors() const { return m_lSysColors; }
    void set_SysColors(bool l);

    // Selects a stored colour index; one the list does not hold selects nDefaut, the
    // setting's default, so that a damaged setting never leaves the list without a colour.
    void ChoisitCouleur(int nIndex, int nDefaut);
    // The colour of the selected item under the current palette (black when none).
    QColor Couleur() const;

protected:
    void changeEvent(QEvent *e) override;

private:
    void Remplit();

    bool m_lSysColors = false;
};

// Draws one item of the list: name 15 pixels from the left, swatch outlined in black, a line
// separating the greys and the theme colours.
class TColorItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
