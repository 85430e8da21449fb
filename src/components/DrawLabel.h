#pragma once
// A label that shortens a text too wide for it in its middle, marking the cut with a
// separator drawn in its own colour (long paths keep their start and their file name).

#include <QColor>
#include <QLabel>
#include <functional>

class TDrawLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TDrawLabel(QWidget *parent = nullptr);
    explicit TDrawLabel(const QString &cTexte, QWidget *parent = nullptr);

    bool _OptimizeDisplay() const { return m_lOptimise; }
    void set_OptimizeDisplay(bool l);
    QColor _SeparatorColor() const { return m_clSep; }
    void set_SeparatorColor(const QColor &c);
    QString _SeparatorString() const { return m_cSep; }
    void set_SeparatorString(const QString &c);

    struct TRaccourci
    {
        QString cTexte; // the text to draw
        bool lRaccourci = false;
        int nAvantSep = 0; // characters before the separator when shortened
    };
    // Cuts cTexte in its middle until fLargeur says it fits in nLargeur; stops with the
    // separator alone when nothing fits (a width of 0 included). The folder history has a
    // rule of its own (alternate cuts around the middle, Historique::RaccourcitMilieu).
    static TRaccourci Raccourcit(const QString &cTexte, const QString &cSep, int nLargeur,
                                 const std::function<int(const QString &)> &fLargeur);

    // Shortening is the point: a layout may make the label narrower than its text.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    bool m_lOptimise = true;
    QColor m_clSep = Qt::red;
    QString m_cSep = QStringLiteral(".");
};
