#pragma once
// The program's one hint window. Hints are written in the program's markup (bold and
// underlined words, centred lines, titles between rules, separator lines, see
// platform/Balises.h); this window draws that markup itself and everything else as plain
// text, so that a file name or an IPTC field holding HTML is shown as it is, never rendered.
// An application event filter takes the place of Qt's tool-tips: item views (the model's
// tool-tip role at the item), tab bars, headers and other widgets' toolTip(), parents up.

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

class QCoreApplication;

class TMarkupHint : public QWidget
{
    Q_OBJECT
public:
    // The application's hint window, made on first use.
    static TMarkupHint *Instance();
    // Shows cTexte near Pos (global) for Widget; the hint goes when the mouse leaves Zone
    // (Widget's coordinates; the whole widget when empty). An empty text hides the hint.
    static void Affiche(const QPoint &Pos, const QString &cTexte, QWidget *Widget, const QRect &Zone = {});
    static void Cache();
    static bool Visible();
    static QString TexteAffiche();

    // The size the text takes with that font, capped to Max (lines cut with "…" at its
    // width, lines past its height left out).
    static QSize TailleTexte(const QString &cTexte, const QFont &Police, const QSize &Max);

    QWidget *WidgetSource() const { return m_Widget; }
    QRect ZoneSource() const { return m_Zone; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    explicit TMarkupHint();
    void Montre(const QPoint &Pos, const QString &cTexte, QWidget *Widget, const QRect &Zone);

    QString m_cTexte;
    QStringList m_Lignes; // as drawn: cut to the screen
    QPointer<QWidget> m_Widget;
    QRect m_Zone;
};

// A widget with this property set to true shows its hints itself (TMarkupHint::Affiche): the
// application's hint handling leaves its tool-tip events to it.
inline constexpr char cBullesPropres[] = "BullesPropres";

// Installs the hint handling on the application once; later calls do nothing.
void InstalleMarkupHint(QCoreApplication *Application);
