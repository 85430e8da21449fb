#include "cdhistory/HistoCDImgSsCrit_fm.h"

#include "components/PaneledListView.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "thumbnails/ThumbnailCache.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
// The small icons of the image list: 4 a classified image, 0 another.
QIcon IconeLigne(int nIcone)
{
    return QApplication::style()->standardIcon(nIcone == 4 ? QStyle::SP_DialogApplyButton : QStyle::SP_FileIcon);
}
} // namespace

TListeImagesCDKX::TListeImagesCDKX(TContexte &Contexte, int nD, const QString &cNom, QWidget *Parent)
    : QWidget(Parent), m_Contexte(Contexte), m_nD(nD)
{
    auto *Disposition = new QHBoxLayout(this);
    Disposition->setContentsMargins(0, 0, 0, 0);
    lv = new QTreeWidget(this);
    lv->setObjectName(QStringLiteral("lv") + cNom);
    lv->setRootIsDecorated(false);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setUniformRowHeights(true);
    lv->setIconSize(QSize(16, 16));
    lv->setHeaderLabels(TitresListeCD());
    lv->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    lv->headerItem()->setTextAlignment(3, Qt::AlignRight);
    lv->header()->setStretchLastSection(false);
    lv->setColumnWidth(0, 140);
    lv->setColumnWidth(1, 200);
    lv->setColumnWidth(2, 80);
    lv->setColumnWidth(3, 70);
    lv->setColumnWidth(4, 150);
    plv = new TPaneledListView(this);
    plv->setObjectName(QStringLiteral("plv") + cNom);
    plv->set_ItemDim(nD);
    plv->set_Checks(false);
    plv->setFixedWidth(nD + 40);
    Disposition->addWidget(lv, 1);
    Disposition->addWidget(plv);
    connect(lv, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *p) { MontreLigne(p ? lv->indexOfTopLevelItem(p) : -1); });
}

void TListeImagesCDKX::Remplit(qint32 nVolume, const QStringList &Chemins)
{
    lv->clear();
    plv->Vide();
    if (!m_Contexte.iniSetup || !m_Contexte.iniBDD)
        return;
    const TStoresCD Stores{*m_Contexte.iniSetup, *m_Contexte.iniBDD, m_Contexte.Dossiers.cDossierVignettes};
    static const TVolumesFactices Aucun;
    const TLecteursCD Lecteurs(m_Contexte.Volumes ? *m_Contexte.Volumes : static_cast<const IVolumes &>(Aucun));
    m_Lignes = LignesListeCD(Stores, Lecteurs, nVolume, Chemins);
    QList<QTreeWidgetItem *> Items;
    Items.reserve(m_Lignes.size());
    for (const TLigneListeCD &l : std::as_const(m_Lignes)) {
        auto *p = new QTreeWidgetItem(QStringList{l.cNom, l.cEmplacement, l.cResolution, l.cTaille, l.cDate});
        p->setIcon(0, IconeLigne(l.nIcone));
        p->setTextAlignment(2, Qt::AlignCenter);
        p->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        Items << p;
    }
    lv->addTopLevelItems(Items);
    if (!Items.isEmpty()) {
        lv->setCurrentItem(Items.first());
        lv->setFocus();
    }
}

void TListeImagesCDKX::MontreLigne(int nLigne)
{
    plv->Vide();
    if (nLigne < 0 || nLigne >= m_Lignes.size())
        return;
    const TLigneListeCD &l = m_Lignes[nLigne];
    TPLVListItem *pItem = plv->Ajoute();
    plv->MetTitre(pItem, l.cNom);
    QImage Image;
    if (l.lTrouve)
        Image = JpegCodec::Decode(l.cFichierVignette);
    if (Image.isNull() && !l.cLecteur.isEmpty()) {
        try {
            const QString cSurCD = l.cChemin.startsWith(QLatin1Char('/')) ? l.cChemin.mid(1) : l.cChemin;
            Image = ChargeImage(l.cLecteur + cSurCD, true, m_nD, m_Contexte.Parametres.lLireVigDsTHM).Image;
        } catch (const std::exception &) {
            Image = QImage();
        }
    }
    if (Image.isNull()) {
        TImageVignette Iv;
        Iv.nNumCD = l.nVolume;
        Iv.cChemin = l.cChemin;
        Iv.lExiste = !l.cLecteur.isEmpty();
        Image = m_Contexte.iniSetup ? ImageRemplacement(*m_Contexte.iniSetup, Iv, m_nD) : ImageErreur(m_nD);
    }
    plv->MetImage(pItem, Image);
    plv->Selectionne(pItem);
}

TfmHistoCDImgSsCrit::TfmHistoCDImgSsCrit(TContexte &Contexte, int nD, qint32 nIdCD, const QString &cCD,
                                         const QStringList &Chemins, QWidget *Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmHistoCDImgSsCrit"));
    setWindowTitle(QStringLiteral("%1 Image(s) sans Critère sur le CD %2").arg(Chemins.size()).arg(cCD));
    setModal(true);
    resize(900, 420);
    auto *Disposition = new QVBoxLayout(this);
    lvImgSsCrit = new TListeImagesCDKX(Contexte, nD, QStringLiteral("ImgSsCrit"), this);
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    auto *Bas = new QHBoxLayout();
    Bas->addStretch(1);
    Bas->addWidget(btQuitter);
    Disposition->addWidget(lvImgSsCrit, 1);
    Disposition->addLayout(Bas);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);
    lvImgSsCrit->Remplit(nIdCD, Chemins);
}
