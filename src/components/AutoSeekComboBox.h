#pragma once
// An editable combo box that proposes the first item beginning with what the user typed,
// the proposed end selected so that typing goes on over it.

#include <QComboBox>

class TAutoSeekComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TAutoSeekComboBox(QWidget *parent = nullptr);

    bool _AutoSeek() const { return m_lAutoSeek; }
    void set_AutoSeek(bool l) { m_lAutoSeek = l; }

    // The completion of a typed text: the first item whose text begins with it, ignoring case,
    // or -1.
    int ItemCompletant(const QString &cTape) const;

signals:
    // The text changed by the user, after completion.
    void Change(const QString &cTexte);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void TexteEdite(const QString &cTexte);

    bool m_lAutoSeek = true;
    // Length of the text that the coming edit keeps: the text without its selection, which
    // is the proposed end of a completion.
    qsizetype m_nAvant = 0;
};
