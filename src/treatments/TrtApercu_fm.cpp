#include "treatments/TrtApercu_fm.h"

#include "treatments/MoteurTrt.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int nCoteApercu = 300;

int Rnd(double v)
{
    return static_cast<int>(std::nearbyint(v)); // the default rounding mode sends halves to even
}
} // namespace

QImage ReduitPourApercu(const QImage &Source)
{
    const int nLongueur = std::max(Source.width(), Source.height());
    if (Source.isNull() || Source.width() <= 0 || Source.height() <= 0)
        return {};
    const int nAutre = std::max(1, Rnd(double(std::min(Source.width(), Source.height())) * nCoteApercu / nLongueur));
    const QSize Taille = Source.width() >= Source.height() ? QSize(nCoteApercu, nAutre) : QSize(nAutre, nCoteApercu);
    return Source.scaled(Taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

TfmTrtApercu::TfmTrtApercu(const QImage &Source, int nCode, QWidget *Parent)
    : QWidget(Parent, Qt::Tool), m_Source(ReduitPourApercu(Source)), m_nCode(nCode)
{
    setObjectName(QStringLiteral("fmTrtApercu"));
    setWindowTitle(QStringLiteral("Aperçu"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    imApercu = new QLabel(this);
    imApercu->setObjectName(QStringLiteral("imApercu"));
    auto *Disposition = new QVBoxLayout(this);
    Disposition->setContentsMargins(0, 0, 0, 0);
    Disposition->addWidget(imApercu);
    if (!Valide())
        return;
    m_Apercu = m_Source;
    imApercu->setPixmap(QPixmap::fromImage(m_Apercu));
    setFixedSize(m_Source.size());
    if (Parent)
        Parent->installEventFilter(this);
}

void TfmTrtApercu::Actualise(const QString &cParam)
{
    if (!Valide())
        return;
    QImage Image = m_Source;
    // A treatment that fails leaves its picture as it was: the preview then shows the source.
    AppliqueTrt(Image, m_nCode, cParam, TOptionsTrt{1, 0});
    m_Apercu = Image;
    imApercu->setPixmap(QPixmap::fromImage(m_Apercu));
    if (parentWidget() && parentWidget()->isVisible())
        Montre();
}

bool TfmTrtApercu::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == parentWidget()) {
        switch (Evenement->type()) {
        case QEvent::Show:
            Montre();
            // The window manager places the dialog after it is shown: look again then.
            QTimer::singleShot(0, this, &TfmTrtApercu::Place);
            break;
        case QEvent::Move:
            if (isVisible())
                Place();
            break;
        case QEvent::Hide: hide(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(Objet, Evenement);
}

void TfmTrtApercu::Montre()
{
    if (!isVisible())
        Place();
    show();
}

void TfmTrtApercu::Place()
{
    // Beside the dialog, on the side where the screen has room; it follows the dialog.
    const QRect Dialogue = parentWidget()->frameGeometry();
    const QScreen *Ecran = parentWidget()->screen() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect Libre = Ecran ? Ecran->availableGeometry() : QRect();
    const int nLargeur = frameGeometry().width();
    QPoint pt(Dialogue.right() + 8, Dialogue.top());
    if (Libre.isValid() && pt.x() + nLargeur > Libre.right())
        pt.setX(std::max(Libre.left(), Dialogue.left() - nLargeur - 8));
    move(pt);
}
