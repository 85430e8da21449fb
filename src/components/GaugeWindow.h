#pragma once
// The progress window of long tasks. A task runs on the user-interface thread: it calls
// Demarre, moves the gauge after each item and asks Interrompu whether the user pressed Esc
// and confirmed. From Demarre to Arrete the window holds the long-task guard: the rest of the
// program takes no command and cannot be closed, since the task walks data that a command or a
// close would free.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class IMessages;
class QProgressBar;
class QWidget;
class TTacheLongue;

class TGaugeWindow : public QObject
{
    Q_OBJECT
public:
    // The question asked when Esc was pressed: (caption, text) → true on Yes. Tests replace it.
    using TQuestion = std::function<bool(const QString &cTitre, const QString &cTexte)>;

    // pMessages asks the question; the on-screen helper when null.
    explicit TGaugeWindow(QWidget *owner = nullptr, IMessages *pMessages = nullptr);
    ~TGaugeWindow() override;

    QString _WindowCaption;
    int _WindowWidth = 300;
    int _WindowHeight = 48;

    int _GaugeMinValue() const { return m_nMin; }
    int _GaugeMaxValue() const { return m_nMax; }
    int _GaugeCurValue() const { return m_nCur; }
    void set_GaugeMinValue(int n);
    void set_GaugeMaxValue(int n);
    // Moves the gauge and lets the user interface process its pending events (at most every
    // 50 ms, so that a task of many small items is not slowed down by repainting).
    void set_GaugeCurValue(int n);

    void Demarre(const QString &cTitre, int nMin, int nCur, int nMax);
    void Arrete();
    // True once the user pressed Esc since the last call and answered Yes to the question, or
    // at once, without a question, when a stop signal arrived.
    bool Interrompu();

    void setQuestion(TQuestion f) { m_fQuestion = std::move(f); }
    // True while any long task of the program runs (a progress window is shown, a listing runs).
    static bool TacheEnCours();

    // The gauge position in thousandths; a range of 0 or 1 item never divides by zero.
    static int Millieme(int nMin, int nCur, int nMax);

    QWidget *Fenetre() const { return m_pFenetre; }
    QProgressBar *Jauge() const { return m_pJauge; }

private:
    void MontreJauge();

    QPointer<QWidget> m_pOwner;
    std::unique_ptr<IMessages> m_MessagesPropres;
    IMessages *m_pMessages = nullptr;
    std::unique_ptr<TTacheLongue> m_Tache;
    QWidget *m_pFenetre = nullptr;
    QProgressBar *m_pJauge = nullptr;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nCur = 0;
    TQuestion m_fQuestion;
};
