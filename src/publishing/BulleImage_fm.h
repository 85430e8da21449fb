#pragma once
// Puts the image hint on the thumbnails, the list rows (while the list's hint setting is on)
// and the image pane. Each hint is made when it is shown, from the stores as they are then.

#include "publishing/BulleImage.h"

#include <QObject>

#include <memory>

class TClassement;
class TContexte;
class TfmMainKX;

class TBulleImageKX : public QObject
{
    Q_OBJECT
public:
    TBulleImageKX(TfmMainKX &Main, TContexte &Contexte, const TClassement *Classement);

    QString Bulle(const TEnrLV &Enr) const;
    // What the hint is made from; the album features add their lists.
    TSourcesBulleImage Sources;
    // The image pane's hint made again for the current image (after a change it cannot see).
    void MajBullePanneau();

private:
    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    std::unique_ptr<TIndexAlbumsWEBPerso> m_pIndexWEB;
};

TBulleImageKX *InstalleBulleImage(TfmMainKX &Main, TContexte &Contexte, const TClassement *Classement);
