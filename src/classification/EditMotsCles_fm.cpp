#include "classification/EditMotsCles_fm.h"

#include "classification/IconesArbres.h"
#include "classification/MotsCles.h"
#include "platform/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleMotCle = Qt::UserRole + 1;
}

QString FiltreLignesMotsCles(const QString &cTexte)
{
    QString c;
    c.reserve(cTexte.size());
    for (QChar Car : cTexte) {
        if (Car == u'\n') {
            c += Car;
            continue;
        }
        if (Car >= u'a' && Car <= u'z')
            Car = Car.toUpper();
        if (CaractereMotCle(Car))
            c += Car;
    }
    return c;
}

TfmEditMotsCles::TfmEditMotsCles(IMessages &Messages, const TBigIniFile &iniSetup, const QString &cMotsCles,
                                 QWidget *Parent)
    : QDialog(Parent), m_Messages(Messages)
{
    setObjectName(QStringLiteral("fmEditMotsCles"));
    setWindowTitle(QStringLiteral("Edition des Mots-clés"));
    setModal(true);
    resize(460, 380);
    auto *Colonne = new QVBoxLayout(this);
    auto *Volets = new QHBoxLayout;

    auto *Gauche = new QVBoxLayout;
    auto *lbMotsCles = new QLabel(QStringLiteral("&Mots-clés"), this);
    mmMotsCles = new QPlainTextEdit(this);
    mmMotsCles->setObjectName(QStringLiteral("mmMotsCles"));
    mmMotsCles->setLineWrapMode(QPlainTextEdit::NoWrap);
    lbMotsCles->setBuddy(mmMotsCles);
    mmMotsCles->setPlainText(NormaliseMotsCles(cMotsCles).split(u' ', Qt::SkipEmptyParts).join(u'\n'));
    btSupprLigCour = new QPushButton(QStringLiteral("&Supprimer la ligne courante"), this);
    btSupprLigCour->setObjectName(QStringLiteral("btSupprLigCour"));
    Gauche->addWidget(lbMotsCles);
    Gauche->addWidget(mmMotsCles, 1);
    Gauche->addWidget(btSupprLigCour);

    auto *Droite = new QVBoxLayout;
    auto *lbPresents = new QLabel(QStringLiteral("Mots-clés &présents"), this);
    tvMotsClesPresents = new QTreeWidget(this);
    tvMotsClesPresents->setObjectName(QStringLiteral("tvMotsClesPresents"));
    tvMotsClesPresents->setHeaderHidden(true);
    tvMotsClesPresents->setItemsExpandable(false);
    tvMotsClesPresents->setRootIsDecorated(false);
    tvMotsClesPresents->setExpandsOnDoubleClick(false);
    lbPresents->setBuddy(tvMotsClesPresents);
    QTreeWidgetItem *Groupe = nullptr;
    for (const TNoeudMotCle &n : ArboMotsCles(iniSetup)) {
        auto *Item = n.nNiveau == 0 || !Groupe ? new QTreeWidgetItem(tvMotsClesPresents) : new QTreeWidgetItem(Groupe);
        Item->setText(0, n.cCaption);
        Item->setIcon(0, QIcon(QPixmap::fromImage(IconesArbres::ImageIntegree(n.nImage))));
        Item->setData(0, nRoleMotCle, n.lMotCle);
        if (n.nNiveau == 0)
            Groupe = Item;
    }
    tvMotsClesPresents->expandAll();
    if (Groupe)
        tvMotsClesPresents->setCurrentItem(Groupe);
    btAffecterMCPresent = new QPushButton(QStringLiteral("&Affecter"), this);
    btAffecterMCPresent->setObjectName(QStringLiteral("btAffecterMCPresent"));
    Droite->addWidget(lbPresents);
    Droite->addWidget(tvMotsClesPresents, 1);
    Droite->addWidget(btAffecterMCPresent);

    Volets->addLayout(Gauche, 1);
    Volets->addLayout(Droite, 1);
    Colonne->addLayout(Volets, 1);

    auto *Commandes = new QHBoxLayout;
    Commandes->addStretch(1);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    Commandes->addWidget(btOK);
    Commandes->addWidget(btAnnuler);
    Colonne->addLayout(Commandes);

    connect(mmMotsCles, &QPlainTextEdit::textChanged, this, &TfmEditMotsCles::Filtre);
    connect(btSupprLigCour, &QPushButton::clicked, this, &TfmEditMotsCles::btSupprLigCourClick);
    connect(btAffecterMCPresent, &QPushButton::clicked, this, &TfmEditMotsCles::btAffecterMCPresentClick);
    connect(tvMotsClesPresents, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *Item) {
        if (Item && Item->data(0, nRoleMotCle).toBool())
            btAffecterMCPresentClick();
    });
    connect(tvMotsClesPresents, &QTreeWidget::currentItemChanged, this, [this] {
        QString c;
        btAffecterMCPresent->setEnabled(MotCleChoisi(c));
    });
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    QString c;
    btAffecterMCPresent->setEnabled(MotCleChoisi(c));
    mmMotsCles->setFocus();
}

void TfmEditMotsCles::Filtre()
{
    if (m_lFiltrage)
        return;
    const QString cAvant = mmMotsCles->toPlainText();
    const QString cApres = FiltreLignesMotsCles(cAvant);
    if (cApres == cAvant)
        return;
    const QScopedValueRollback Garde(m_lFiltrage, true);
    // The caret keeps its place among the characters kept.
    QTextCursor Curseur = mmMotsCles->textCursor();
    const int nPos = int(FiltreLignesMotsCles(cAvant.left(Curseur.position())).size());
    mmMotsCles->setPlainText(cApres);
    Curseur = mmMotsCles->textCursor();
    Curseur.setPosition(std::min(nPos, int(cApres.size())));
    mmMotsCles->setTextCursor(Curseur);
}

QStringList TfmEditMotsCles::Lignes() const
{
    QStringList l;
    for (const QString &c : mmMotsCles->toPlainText().split(u'\n'))
        if (!c.trimmed().isEmpty())
            l << c.trimmed();
    return l;
}

QString TfmEditMotsCles::MotsCles() const
{
    return Lignes().join(u' ');
}

bool TfmEditMotsCles::MotCleChoisi(QString &cMotCle) const
{
    const QTreeWidgetItem *Item = tvMotsClesPresents->currentItem();
    if (!Item || !Item->data(0, nRoleMotCle).toBool())
        return false;
    cMotCle = Item->text(0);
    return true;
}

void TfmEditMotsCles::btSupprLigCourClick()
{
    QTextCursor Curseur = mmMotsCles->textCursor();
    const QTextBlock Ligne = Curseur.block();
    if (!Ligne.text().isEmpty()
        && m_Messages.Question(this, QStringLiteral("Supprimer la ligne courante ?"), true,
                               QStringLiteral("Attention"))) {
        Curseur.select(QTextCursor::BlockUnderCursor);
        // The first line has no line break before it: the one after it goes instead.
        if (Ligne.blockNumber() == 0) {
            Curseur.movePosition(QTextCursor::StartOfBlock);
            Curseur.movePosition(Ligne.next().isValid() ? QTextCursor::NextBlock : QTextCursor::EndOfBlock,
                                 QTextCursor::KeepAnchor);
        }
        Curseur.removeSelectedText();
        mmMotsCles->setTextCursor(Curseur);
    }
    mmMotsCles->setFocus();
}

void TfmEditMotsCles::btAffecterMCPresentClick()
{
    QString cMotCle;
    if (!MotCleChoisi(cMotCle))
        return;
    const QStringList l = Lignes();
    const bool lPresent = std::any_of(
        l.cbegin(), l.cend(), [&cMotCle](const QString &c) { return c.compare(cMotCle, Qt::CaseInsensitive) == 0; });
    if (!lPresent) {
        QString cTexte = mmMotsCles->toPlainText();
        if (!cTexte.isEmpty() && !cTexte.endsWith(u'\n'))
            cTexte += u'\n';
        mmMotsCles->setPlainText(cTexte + cMotCle);
        mmMotsCles->moveCursor(QTextCursor::End);
    }
    mmMotsCles->setFocus();
}
