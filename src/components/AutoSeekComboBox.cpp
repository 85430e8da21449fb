#include "components/AutoSeekComboBox.h"

#include <QEvent>
#include <QLineEdit>

TAutoSeekComboBox::TAutoSeekComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The combo box's own inline completer would fight ours over the selection.
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TAutoSeekComboBox::TexteEdite);
    lineEdit()->installEventFilter(this);
}

bool TAutoSeekComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::ContextMenu:
        case QEvent::Drop: m_nAvant = lineEdit()->text().size() - lineEdit()->selectedText().size(); break;
        default: break;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

int TAutoSeekComboBox::ItemCompletant(const QString &cTape) const
{
    if (cTape.isEmpty())
        return -1;
    const QString cHaut = cTape.toUpper();
    for (int i = 0; i < count(); ++i)
        if (itemText(i).toUpper().startsWith(cHaut))
            return i;
    return -1;
}

void TAutoSeekComboBox::TexteEdite(const QString &cTexte)
{
    // Completing after a deletion would put back what the user just removed (a Backspace over
    // "ris" of "Paris" must leave "Pa"): only a text that grew is completed.
    const bool lAGrandi = cTexte.size() > m_nAvant;
    m_nAvant = cTexte.size();
    if (m_lAutoSeek && lAGrandi) {
        const int i = ItemCompletant(cTexte);
        if (i >= 0) {
            const int n = cTexte.size();
            const QString cItem = itemText(i);
            lineEdit()->setText(cItem);
            lineEdit()->setSelection(cItem.size(), n - int(cItem.size()));
        }
    }
    emit Change(currentText());
}
