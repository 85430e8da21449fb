#include "components/FolderTreeView.h"

#include "platform/FrenchFormats.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QStyle>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
// A node with its record; the placeholder child is a plain item without one.
class TNoeud : public QTreeWidgetItem
{
public:
    static constexpr int nType = QTreeWidgetItem::UserType + 1;
    TNoeud() : QTreeWidgetItem(nType) {}
    TInfoNoeud info;
};

const QString cTexteFactice = QStringLiteral("*");
constexpr int nRoleShell = Qt::UserRole + 1;

bool EstShell(const QTreeWidgetItem *item)
{
    return item && item->data(0, nRoleShell).toBool();
}

QString AvecBarre(const QString &c)
{
    return c.endsWith(QLatin1Char('/')) ? c : c + QLatin1Char('/');
}

// The names of a folder's sub-folders, names beginning with "." skipped; only the first one
// with lPremier. The entry type that readdir reports spares a stat per file, which is what
// makes a folder of thousands of pictures quick to probe; links and unknown types are followed.
QStringList SousDossiers(const QString &cChemin, bool lPremier)
{
    QStringList l;
    const QByteArray cNatif = QFile::encodeName(cChemin);
    DIR *d = opendir(cNatif.constData());
    if (!d)
        return l;
    while (const dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        bool lDossier = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            lDossier = fstatat(dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (lDossier) {
            l << QFile::decodeName(e->d_name);
            if (lPremier)
                break;
        }
    }
    closedir(d);
    return l;
}

QIcon IconeTheme(const char *cNom, QStyle::StandardPixmap nStandard)
{
    return QIcon::fromTheme(QString::fromLatin1(cNom), QApplication::style()->standardIcon(nStandard));
}
}

TFolderTreeView::TFolderTreeView(const IVolumes *volumes, QWidget *parent) : QTreeWidget(parent), m_pVolumes(volumes)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // The selection stays visible when the tree loses the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    m_cBureau = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    m_cDocuments = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    m_pmiRafraichir = new QAction(QStringLiteral("&Rafraîchir"), this);
    m_pmiRafraichir->setShortcut(QKeySequence(Qt::Key_F5));
    m_pmiRafraichir->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_pmiRafraichir);
    connect(m_pmiRafraichir, &QAction::triggered, this, &TFolderTreeView::Rafraichit);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        const TInfoNoeud *info = Info(item);
        if (info && !info->lLu)
            LitSousDossiers(item);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this] {
        MajAction();
        emit Change(DossierCourant());
    });
    Remplit();
}

TInfoNoeud *TFolderTreeView::Info(QTreeWidgetItem *item)
{
    return (item && item->type() == TNoeud::nType) ? &static_cast<TNoeud *>(item)->info : nullptr;
}

const TInfoNoeud *TFolderTreeView::Info(const QTreeWidgetItem *item)
{
    return (item && item->type() == TNoeud::nType) ? &static_cast<const TNoeud *>(item)->info : nullptr;
}

void TFolderTreeView::set_ShowShellNodes(bool l)
{
    if (l == m_lShellNodes)
        return;
    m_lShellNodes = l;
    Remplit();
}

void TFolderTreeView::set_FixedDisksOnly(bool l)
{
    if (l == m_lFixesSeuls)
        return;
    m_lFixesSeuls = l;
    Remplit();
}

void TFolderTreeView::set_CDsOnly(bool l)
{
    if (l == m_lCDsSeuls)
        return;
    m_lCDsSeuls = l;
    Remplit();
}

void TFolderTreeView::setVolumes(const IVolumes *volumes)
{
    m_pVolumes = volumes;
    Remplit();
}

void TFolderTreeView::setDossiersShell(const QString &cBureau, const QString &cDocuments)
{
    m_cBureau = cBureau;
    m_cDocuments = cDocuments;
    Remplit();
}

QString TFolderTreeView::TexteLecteur(const TVolume &v)
{
    QString cPoint = v.cPointMontage;
    if (cPoint.size() > 1 && cPoint.endsWith(QLatin1Char('/')))
        cPoint.chop(1);
    const quint32 nHaut = v.nSerie >> 16;
    const quint32 nBas = v.nSerie & 0xFFFFu;
    const QString V =
        (nHaut != 0 && nBas != 0) ? QString::asprintf("%x-%x", unsigned(nHaut), unsigned(nBas)) : QString();
    const QString &L = v.cLabel;
    const QString cDebut = QLatin1Char('(') + cPoint + QLatin1Char(')');
    if (!V.isEmpty() && !L.isEmpty())
        return cDebut + QLatin1Char(' ') + V + QStringLiteral(" - \"") + L + QLatin1Char('"');
    if (!V.isEmpty())
        return cDebut + QLatin1Char(' ') + V;
    if (!L.isEmpty())
        return cDebut + QStringLiteral(" \"") + L + QLatin1Char('"');
    return cDebut;
}

TFolderTreeView::TTypeVolume TFolderTreeView::TypeVolume(const TVolume &v)
{
    if (v.lCD)
        return tvCD;
    const QString s = v.cSysteme.toLower();
    static const QStringList lReseau = {QStringLiteral("nfs"),         QStringLiteral("nfs4"),  QStringLiteral("cifs"),
                                        QStringLiteral("smb3"),        QStringLiteral("smbfs"), QStringLiteral("sshfs"),
                                        QStringLiteral("fuse.sshfs"),  QStringLiteral("9p"),    QStringLiteral("davfs"),
                                        QStringLiteral("fuse.rclone"), QStringLiteral("afs")};
    if (lReseau.contains(s))
        return tvReseau;
    if (s == QLatin1String("tmpfs") || s == QLatin1String("ramfs"))
        return tvRam;
    if (v.cPointMontage.startsWith(QLatin1String("/media/"))
        || v.cPointMontage.startsWith(QLatin1String("/run/media/")))
        return tvAmovible;
    return tvFixe;
}

bool TFolderTreeView::ADesSousDossiers(const QString &cChemin)
{
    return !SousDossiers(cChemin, true).isEmpty();
}

QIcon TFolderTreeView::IconeVolume(TTypeVolume n) const
{
    switch (n) {
    case tvAmovible: return IconeTheme("drive-removable-media", QStyle::SP_DriveFDIcon);
    case tvCD: return IconeTheme("drive-optical", QStyle::SP_DriveCDIcon);
    case tvReseau: return IconeTheme("network-server", QStyle::SP_DriveNetIcon);
    case tvRam: return IconeTheme("media-flash", QStyle::SP_DriveHDIcon);
    case tvFixe: break;
    }
    return IconeTheme("drive-harddisk", QStyle::SP_DriveHDIcon);
}

QIcon TFolderTreeView::IconeDossier() const
{
    // Closed folder in the normal state, open folder when selected.
    QIcon ico;
    const QIcon ferme = IconeTheme("folder", QStyle::SP_DirClosedIcon);
    const QIcon ouvert = IconeTheme("folder-open", QStyle::SP_DirOpenIcon);
    ico.addPixmap(ferme.pixmap(16, 16), QIcon::Normal);
    ico.addPixmap(ouvert.pixmap(16, 16), QIcon::Selected);
    return ico;
}

QTreeWidgetItem *TFolderTreeView::NouveauNoeud(QTreeWidgetItem *parent, const QString &cTexte, const QString &cChemin,
                                               const QIcon &icone, bool lEnfant)
{
    auto *item = new TNoeud;
    item->info.cChemin = cChemin;
    item->setText(0, cTexte);
    item->setIcon(0, icone);
    item->setToolTip(0, cChemin);
    if (lEnfant)
        item->addChild(new QTreeWidgetItem(QStringList(cTexteFactice)));
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void TFolderTreeView::Remplit()
{
    clear();
    if (m_lShellNodes && !m_lCDsSeuls) {
        struct
        {
            QString cTexte;
            QString cChemin;
            QIcon icone;
        } shell[] = {
            {QStringLiteral("Bureau"), m_cBureau, IconeTheme("user-desktop", QStyle::SP_DesktopIcon)},
            {QStringLiteral("Mes Documents"), m_cDocuments, IconeTheme("folder-documents", QStyle::SP_DirHomeIcon)},
        };
        for (const auto &s : shell) {
            // A location the desktop names but that was never created has nothing to show.
            if (s.cChemin.isEmpty() || !QFileInfo(s.cChemin).isDir())
                continue;
            const QString c = AvecBarre(QDir::cleanPath(s.cChemin));
            NouveauNoeud(nullptr, s.cTexte, c, s.icone, ADesSousDossiers(c))->setData(0, nRoleShell, true);
        }
    }
    QList<TVolume> lVolumes;
    if (m_pVolumes)
        lVolumes = m_pVolumes->Liste();
    const bool lRacine = std::any_of(lVolumes.cbegin(), lVolumes.cend(),
                                     [](const TVolume &v) { return v.cPointMontage == QLatin1String("/"); });
    if (!lRacine && !m_lCDsSeuls) {
        TVolume racine;
        racine.cPointMontage = QStringLiteral("/");
        lVolumes.prepend(racine);
    }
    for (const TVolume &v : std::as_const(lVolumes)) {
        const TTypeVolume n = TypeVolume(v);
        if (m_lFixesSeuls && n != tvFixe)
            continue;
        // A drive without serial nor label holds no disc.
        if (m_lCDsSeuls && (n != tvCD || (v.nSerie == 0 && v.cLabel.isEmpty())))
            continue;
        const QString c = AvecBarre(v.cPointMontage);
        NouveauNoeud(nullptr, TexteLecteur(v), c, IconeVolume(n), true);
    }
    MajAction();
}

QString TFolderTreeView::DossierCourant() const
{
    const TInfoNoeud *info = Info(currentItem());
    return info ? info->cChemin : QString();
}

void TFolderTreeView::OublieEnfants(QTreeWidgetItem *item)
{
    TInfoNoeud *info = Info(item);
    if (!info)
        return;
    const QList<QTreeWidgetItem *> l = item->takeChildren();
    // The current item may be among the children: let the tree move it before deleting.
    if (QTreeWidgetItem *cour = currentItem()) {
        for (QTreeWidgetItem *p = cour; p; p = p->parent())
            if (l.contains(p)) {
                setCurrentItem(item);
                break;
            }
    }
    qDeleteAll(l);
    info->lLu = false;
}

void TFolderTreeView::LitSousDossiers(QTreeWidgetItem *item)
{
    TInfoNoeud *info = Info(item);
    if (!info)
        return;
    qDeleteAll(item->takeChildren());
    const QString cParent = info->cChemin;
    QStringList lNoms = SousDossiers(cParent, false);
    std::sort(lNoms.begin(), lNoms.end(), [](const QString &a, const QString &b) {
        const int n = FrenchFormats::Compare(a, b);
        return n != 0 ? n < 0 : a < b;
    });
    const QIcon ico = IconeDossier();
    for (const QString &cNom : std::as_const(lNoms)) {
        const QString c = cParent + cNom + QLatin1Char('/');
        NouveauNoeud(item, cNom, c, ico, ADesSousDossiers(c));
    }
    info->lLu = true;
}

QTreeWidgetItem *TFolderTreeView::RacineDe(const QString &cChemin) const
{
    const int nRacines = topLevelItemCount();
    // Shell nodes first (desktop, then documents), so that a folder of the desktop is found
    // below "Bureau" rather than below its drive.
    for (int i = 0; i < nRacines; ++i) {
        QTreeWidgetItem *r = topLevelItem(i);
        const TInfoNoeud *info = Info(r);
        if (EstShell(r) && info && cChemin.startsWith(info->cChemin))
            return r;
    }
    QTreeWidgetItem *pMeilleur = nullptr;
    qsizetype nMeilleur = -1;
    for (int i = 0; i < nRacines; ++i) {
        QTreeWidgetItem *r = topLevelItem(i);
        const TInfoNoeud *info = Info(r);
        if (!info || EstShell(r))
            continue;
        if (cChemin.startsWith(info->cChemin) && info->cChemin.size() > nMeilleur) {
            pMeilleur = r;
            nMeilleur = info->cChemin.size();
        }
    }
    return pMeilleur;
}

void TFolderTreeView::ChoisitDossier(const QString &cCheminDonne)
{
    if (cCheminDonne.isEmpty() || !QDir::isAbsolutePath(cCheminDonne))
        throw ECheminNonTrouve();
    const QString cChemin = AvecBarre(QDir::cleanPath(cCheminDonne));
    if (cChemin == DossierCourant())
        return;
    if (!QFileInfo(cChemin).isDir())
        throw ECheminNonTrouve();
    QTreeWidgetItem *item = RacineDe(cChemin);
    if (!item)
        throw ECheminNonTrouve();
    QString cPrefixe = Info(item)->cChemin;
    while (cPrefixe.size() < cChemin.size()) {
        if (!Info(item)->lLu)
            LitSousDossiers(item);
        const qsizetype nFin = cChemin.indexOf(QLatin1Char('/'), cPrefixe.size());
        cPrefixe = cChemin.left(nFin + 1);
        QTreeWidgetItem *pEnfant = nullptr;
        for (int i = 0; i < item->childCount(); ++i) {
            const TInfoNoeud *info = Info(item->child(i));
            if (info && info->cChemin == cPrefixe) {
                pEnfant = item->child(i);
                break;
            }
        }
        // A level the tree does not show (a hidden folder): selecting an ancestor instead
        // would list another folder than the one asked for.
        if (!pEnfant)
            throw ECheminNonTrouve();
        item = pEnfant;
    }
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
}

bool TFolderTreeView::CreeSousDossier(const QString &cNomDonne)
{
    QTreeWidgetItem *item = currentItem();
    const TInfoNoeud *info = Info(item);
    if (!info)
        return false;
    const QString cNom = cNomDonne.trimmed();
    if (cNom.isEmpty() || cNom.startsWith(QLatin1Char('.')) || cNom.contains(QLatin1Char('/'))
        || cNom.contains(QChar(0)))
        return false;
    const QString cNouveau = info->cChemin + cNom + QLatin1Char('/');
    QDir().mkpath(cNouveau);
    if (!QFileInfo(cNouveau).isDir())
        return false;
    OublieEnfants(item);
    LitSousDossiers(item);
    try {
        ChoisitDossier(cNouveau);
    } catch (const ECheminNonTrouve &) {
        return false;
    }
    return true;
}

void TFolderTreeView::Rafraichit()
{
    QTreeWidgetItem *item = currentItem();
    TInfoNoeud *info = Info(item);
    if (!info)
        return;
    const bool lOuvert = item->isExpanded();
    OublieEnfants(item);
    if (!item->parent() && !EstShell(item) && m_pVolumes) {
        // Another disc may have been put in the drive.
        const TVolume v = m_pVolumes->VolumeDe(info->cChemin);
        if (AvecBarre(v.cPointMontage) == info->cChemin)
            item->setText(0, TexteLecteur(v));
    }
    LitSousDossiers(item);
    item->setExpanded(lOuvert);
}

void TFolderTreeView::MajAction()
{
    m_pmiRafraichir->setEnabled(Info(currentItem()) != nullptr);
}

void TFolderTreeView::mousePressEvent(QMouseEvent *e)
{
    // A right click only opens the pop-up menu: selecting the folder under the mouse would list
    // it, and the menu acts on the selected folder.
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QTreeWidget::mousePressEvent(e);
}

void TFolderTreeView::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(e);
}

void TFolderTreeView::contextMenuEvent(QContextMenuEvent *e)
{
    MajAction();
    QMenu menu(this);
    menu.addAction(m_pmiRafraichir);
    menu.exec(e->globalPos());
}
