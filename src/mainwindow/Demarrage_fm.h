#pragma once
// The start-up splash window: the program's name and version, the text of the step running
// and a gauge of the steps.

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;

class TfmDemarrage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int nDerniereEtape = 4;
    // How long a text of its own stays readable before the window goes.
    static constexpr int nDureeTexteMs = 1000;

    explicit TfmDemarrage(QWidget *Parent = nullptr);

    // Shows the step's text (the previous text stays for a step without one), moves the
    // gauge, repaints at once, then runs the work.
    void Etape(int nEtape, const std::function<void()> &Travail = {});
    // Shows a text of its own under the current step (the clean-up's count, for instance); the
    // window then stays until the text has been shown for nDureeTexteMs.
    void AfficheTexte(const QString &cTexte);
    void setVisible(bool lVisible) override;
    // The step's text, empty for a step that keeps the previous one.
    static QString TexteEtape(int nEtape);

    QLabel *stLancement = nullptr;
    QProgressBar *ggLancement = nullptr;

    // A monotonic clock in milliseconds, and the wait that keeps the window painted meanwhile;
    // replaceable by tests.
    std::function<qint64()> fnHorloge;
    std::function<void(int nMs)> fnAttend;

protected:
    void hideEvent(QHideEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;

private:
    void Repeint();

    qint64 m_nDebutTexte = -1; // when the text of its own appeared, -1 without one
};
