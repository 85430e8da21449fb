#include "publishing/RenommageJournal.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QByteArray cEntete = QByteArrayLiteral("VIMBREL RENOMMAGE 1");
const QByteArray cFin = QByteArrayLiteral("FIN");
// A journal lists at most the images of one list; anything far larger is not ours.
constexpr qint64 nTailleMaxJournal = 256LL * 1024 * 1024;

bool EcritTout(int fd, const QByteArray &b)
{
    const char *p = b.constData();
    qsizetype n = b.size();
    while (n > 0) {
        const ssize_t r = ::write(fd, p, size_t(n));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += r;
        n -= r;
    }
    return true;
}

void SyncDossier(const QString &cFichier)
{
    const int fd =
        ::open(QFile::encodeName(QFileInfo(cFichier).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QByteArray Identite(const TIdentiteFichier &I)
{
    return QByteArray::number(I.nPeripherique) + '\t' + QByteArray::number(I.nInode);
}

bool LitIdentite(const QByteArray &a, const QByteArray &b, TIdentiteFichier &I)
{
    bool l1 = false, l2 = false;
    I.nPeripherique = a.toULongLong(&l1);
    I.nInode = b.toULongLong(&l2);
    return l1 && l2;
}

QByteArray LigneNoms(char cType, const TNomsFichier &N)
{
    return QByteArray(1, cType) + '\t' + Identite(N.Identite) + '\t' + TJournalRenommage::Echappe(N.cAncien) + '\t'
           + TJournalRenommage::Echappe(N.cTemporaire) + '\t' + TJournalRenommage::Echappe(N.cFinal) + '\n';
}

bool LitNoms(const QList<QByteArray> &Champs, TNomsFichier &N)
{
    return Champs.size() == 6 && LitIdentite(Champs[1], Champs[2], N.Identite)
           && TJournalRenommage::Desechappe(Champs[3], N.cAncien)
           && TJournalRenommage::Desechappe(Champs[4], N.cTemporaire)
           && TJournalRenommage::Desechappe(Champs[5], N.cFinal);
}
} // namespace

QByteArray TJournalRenommage::Echappe(const QString &c)
{
    const QByteArray u = c.toUtf8();
    QByteArray r;
    r.reserve(u.size());
    for (const char ch : u) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '%' || b < 0x20 || b == 0x7f) {
            r += '%';
            r += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        } else
            r += ch;
    }
    return r;
}

bool TJournalRenommage::Desechappe(const QByteArray &b, QString &c)
{
    QByteArray r;
    r.reserve(b.size());
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (b[i] != '%') {
            r += b[i];
            continue;
        }
        if (i + 2 >= b.size())
            return false;
        bool lOk = false;
        const int n = b.mid(i + 1, 2).toInt(&lOk, 16);
        if (!lOk)
            return false;
        r += char(n);
        i += 2;
    }
    c = QString::fromUtf8(r);
    return true;
}

TJournalRenommage::~TJournalRenommage()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int TJournalRenommage::Ecrit(const QList<TPlanRenommage> &Plans)
{
    QByteArray Texte = cEntete + '\n';
    for (const TPlanRenommage &P : Plans) {
        Texte += LigneNoms('E', P.Image);
        Texte += LigneNoms('V', P.Vignette);
        for (const TNomsFichier &C : P.Compagnons)
            Texte += LigneNoms('C', C);
    }
    Texte += cFin + '\n';

    const QByteArray cNom = QFile::encodeName(m_cChemin);
    // Never over an unfinished batch's journal: only it can put that batch's data right.
    m_fd = ::open(cNom.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return errno;
    if (!EcritTout(m_fd, Texte) || ::fsync(m_fd) != 0) {
        const int e = errno ? errno : EIO;
        ::close(m_fd);
        m_fd = -1;
        ::unlink(cNom.constData());
        return e;
    }
    SyncDossier(m_cChemin);
    return 0;
}

int TJournalRenommage::Reprend()
{
    if (m_fd >= 0)
        return 0;
    m_fd = ::open(QFile::encodeName(m_cChemin).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return m_fd < 0 ? errno : 0;
}

int TJournalRenommage::Ajoute(const QByteArray &Ligne)
{
    if (m_fd < 0)
        return EBADF;
    if (!EcritTout(m_fd, Ligne + '\n') || ::fsync(m_fd) != 0)
        return errno ? errno : EIO;
    return 0;
}

int TJournalRenommage::AvantEnregistrement(const QString &cStore, const TIdentiteFichier &I)
{
    return Ajoute("P\t" + Echappe(cStore) + '\t' + Identite(I));
}

int TJournalRenommage::Enregistre(const QString &cStore)
{
    return Ajoute("S\t" + Echappe(cStore));
}

void TJournalRenommage::Termine()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    ::unlink(QFile::encodeName(m_cChemin).constData());
    SyncDossier(m_cChemin);
}

bool TJournalRenommage::Lit(const QString &cChemin, TContenu &Contenu)
{
    Contenu = {};
    QFile f(cChemin);
    if (!f.open(QIODevice::ReadOnly) || f.size() > nTailleMaxJournal)
        return false;
    const QList<QByteArray> Lignes = f.readAll().split('\n');
    if (Lignes.isEmpty() || Lignes[0] != cEntete)
        return false;
    bool lFini = false;
    for (qsizetype i = 1; i < Lignes.size(); ++i) {
        const QByteArray &L = Lignes[i];
        if (L.isEmpty())
            continue;
        const QList<QByteArray> Champs = L.split('\t');
        if (!lFini) {
            if (L == cFin) {
                lFini = true;
                continue;
            }
            TNomsFichier N;
            if (!LitNoms(Champs, N))
                return false;
            if (Champs[0] == "E") {
                TPlanRenommage P;
                P.nEntree = int(Contenu.Plans.size());
                P.Image = N;
                Contenu.Plans << P;
            } else if (Champs[0] == "V" && !Contenu.Plans.isEmpty())
                Contenu.Plans.last().Vignette = N;
            else if (Champs[0] == "C" && !Contenu.Plans.isEmpty())
                Contenu.Plans.last().Compagnons << N;
            else
                return false;
            continue;
        }
        // After the plans: the store lines, the last one maybe cut by the crash.
        QString cStore;
        if (Champs.size() == 4 && Champs[0] == "P" && Desechappe(Champs[1], cStore)) {
            TIdentiteFichier I;
            if (LitIdentite(Champs[2], Champs[3], I))
                Contenu.EnInstance.insert(cStore, I);
        } else if (Champs.size() == 2 && Champs[0] == "S" && Desechappe(Champs[1], cStore))
            Contenu.Enregistres.insert(cStore);
    }
    return lFini;
}
