#include "components/BullesBalisees.h"

#include "platform/Balises.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

bool TBullesBalisees::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Evenement->type() != QEvent::ToolTip || !Objet->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(Objet);
    const QString cBulle = w->toolTip();
    // Item views and the thumbnail grid show hints of their items themselves; only a widget's
    // own hint is taken here.
    if (cBulle.isEmpty() || !Balises::ABalise(cBulle))
        return false;
    const auto *Aide = static_cast<QHelpEvent *>(Evenement);
    QToolTip::showText(Aide->globalPos(), Balises::PourBulle(cBulle), w, QRect(), w->toolTipDuration());
    return true;
}

void InstalleBullesBalisees(QCoreApplication *Application)
{
    if (!Application || Application->findChild<TBullesBalisees *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    Application->installEventFilter(new TBullesBalisees(Application));
}
