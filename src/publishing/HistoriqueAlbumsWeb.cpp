#include "publishing/HistoriqueAlbumsWeb.h"

#include "platform/FrenchFormats.h"
#include "platform/OperationsFichiers.h"
#include "platform/TextCodec.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QString cMarqueMotsCles = QStringLiteral("<META NAME=\"keywords\" CONTENT=\"");

// True when the path names a regular file itself, not through a link.
bool FichierOrdinaire(const QString &cChemin, struct stat *pSt = nullptr)
{
    struct stat st;
    if (::lstat(QFile::encodeName(cChemin).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (pSt)
        *pSt = st;
    return true;
}

// The entities the page writer makes of the user's text, decoded in one pass so that
// "&amp;lt;" gives back "&lt;" as it was typed.
QString DecodeEntites(const QString &c)
{
    static const std::pair<QLatin1StringView, QChar> Entites[] = {
        {QLatin1StringView("&amp;"), QLatin1Char('&')},  {QLatin1StringView("&lt;"), QLatin1Char('<')},
        {QLatin1StringView("&gt;"), QLatin1Char('>')},   {QLatin1StringView("&quot;"), QLatin1Char('"')},
        {QLatin1StringView("&#39;"), QLatin1Char('\'')},
    };
    QString r;
    r.reserve(c.size());
    for (qsizetype i = 0; i < c.size();) {
        bool lTrouve = false;
        if (c[i] == QLatin1Char('&'))
            for (const auto &[cEntite, ch] : Entites)
                if (QStringView(c).mid(i).startsWith(cEntite)) {
                    r += ch;
                    i += cEntite.size();
                    lTrouve = true;
                    break;
                }
        if (!lTrouve)
            r += c[i++];
    }
    return r;
}

// The code point that ends just before i, or starts at i (0 outside the text).
char32_t PointAvant(const QString &c, qsizetype i)
{
    if (i <= 0)
        return 0;
    if (i >= 2 && c[i - 1].isLowSurrogate() && c[i - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(c[i - 2], c[i - 1]);
    return c[i - 1].unicode();
}

char32_t PointA(const QString &c, qsizetype i)
{
    if (i >= c.size())
        return 0;
    if (i + 1 < c.size() && c[i].isHighSurrogate() && c[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c[i], c[i + 1]);
    return c[i].unicode();
}

bool Lettre(char32_t n)
{
    return n != 0 && QChar::isLetterOrNumber(n);
}

QString AvecBarre(QString c)
{
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}
} // namespace

QString MotsClesAlbum(const QString &cDossier)
{
    const QString cIndex = AvecBarre(cDossier) + QStringLiteral("Index.htm");
    // A FIFO or a device named Index.htm would block or never end: only a plain file is read.
    if (!FichierOrdinaire(cIndex))
        return {};
    const int fd = ::open(QFile::encodeName(cIndex).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    const QByteArray Octets = f.read(nMaxLectureMotsCles);
    qsizetype nDebut = 0;
    while (nDebut < Octets.size()) {
        qsizetype nFin = Octets.indexOf('\n', nDebut);
        if (nFin < 0)
            nFin = Octets.size();
        QByteArrayView Ligne(Octets.constData() + nDebut, nFin - nDebut);
        if (Ligne.endsWith('\r'))
            Ligne.chop(1);
        nDebut = nFin + 1;
        const QString cLigne = DecodeLigne(Ligne);
        const qsizetype n = cLigne.indexOf(cMarqueMotsCles);
        if (n >= 0) {
            const qsizetype nDepart = n + cMarqueMotsCles.size();
            const qsizetype nFerme = cLigne.indexOf(QStringLiteral("\">"), nDepart);
            return nFerme < 0 ? QString() : DecodeEntites(cLigne.mid(nDepart, nFerme - nDepart));
        }
        if (cLigne.contains(QLatin1String("</HEAD>"), Qt::CaseInsensitive))
            break;
    }
    return {};
}

TComptesFichiersAlbum CompterFichiersAlbum(const QString &cDossier)
{
    TComptesFichiersAlbum C;
    const auto Cle = [](const struct stat &st) { return qMakePair(quint64(st.st_dev), quint64(st.st_ino)); };
    QSet<QPair<quint64, quint64>> Vus;
    struct stat st;
    const QString cRacine = QDir::cleanPath(cDossier);
    if (::lstat(QFile::encodeName(cRacine).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return C;
    Vus.insert(Cle(st));
    QStringList Pile{cRacine};
    while (!Pile.isEmpty()) {
        const QString cCourant = Pile.takeLast();
        const QString cNomDossier = cCourant.section(QLatin1Char('/'), -1);
        const bool lVignettes = cNomDossier == QLatin1String("Vignettes");
        const bool lImages = cNomDossier == QLatin1String("Images");
        DIR *d = ::opendir(QFile::encodeName(cCourant).constData());
        if (!d)
            continue;
        while (const dirent *e = ::readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            const QString cNom = QFile::decodeName(e->d_name);
            const QString cChemin = cCourant + QLatin1Char('/') + cNom;
            if (::lstat(QFile::encodeName(cChemin).constData(), &st) != 0)
                continue;
            if (S_ISDIR(st.st_mode)) {
                // A bind mount can bring a folder back under itself: each is walked once.
                if (!Vus.contains(Cle(st))) {
                    Vus.insert(Cle(st));
                    Pile << cChemin;
                }
                continue;
            }
            if (!S_ISREG(st.st_mode) || !(lVignettes || lImages))
                continue;
            const QString cExt = cNom.section(QLatin1Char('.'), -1).toUpper();
            if (!cNom.contains(QLatin1Char('.')) || (cExt != QLatin1String("JPG") && cExt != QLatin1String("JPEG")))
                continue;
            ++(lVignettes ? C.nVignettes : C.nImages);
        }
        ::closedir(d);
    }
    return C;
}

bool CleHistoriqueValide(const QString &cCle)
{
    if (!cCle.startsWith(QLatin1Char('/')) || !cCle.endsWith(QLatin1Char('/')) || cCle.size() < 2
        || cCle.contains(QChar(0)))
        return false;
    return QDir::cleanPath(cCle) + QLatin1Char('/') == cCle;
}

bool ContientMotCle(const QString &cMotsCles, const QString &cMotCle, bool lMotEntier)
{
    if (cMotCle.isEmpty())
        return false;
    for (qsizetype n = cMotsCles.indexOf(cMotCle); n >= 0; n = cMotsCles.indexOf(cMotCle, n + 1)) {
        if (!lMotEntier)
            return true;
        if (!Lettre(PointAvant(cMotsCles, n)) && !Lettre(PointA(cMotsCles, n + cMotCle.size())))
            return true;
    }
    return false;
}

const TLigneHistoAlbumWEB &THistoriqueAlbumsWEB::Ligne(const QString &cCle)
{
    auto It = m_Cache.find(cCle);
    if (It != m_Cache.end())
        return *It;
    TLigneHistoAlbumWEB L;
    L.cCle = cCle;
    const QString cSansBarre = cCle.chopped(1);
    const qsizetype n = cSansBarre.lastIndexOf(QLatin1Char('/'));
    L.cNom = cSansBarre.mid(n + 1);
    L.cParent = cSansBarre.left(n + 1);
    struct stat st;
    if (FichierOrdinaire(L.Index(), &st))
        L.dDate = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
    L.Comptes = CompterFichiersAlbum(cCle);
    L.cMotsCles = MotsClesAlbum(cCle);
    return *m_Cache.insert(cCle, L);
}

QList<TLigneHistoAlbumWEB> THistoriqueAlbumsWEB::Lignes(const TFiltreHistoAlbumWEB &F)
{
    QStringList Cles;
    m_Parametres.ReadSection(cSectionAlbumsWebHistorique, Cles);
    std::sort(Cles.begin(), Cles.end(),
              [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
    QList<TLigneHistoAlbumWEB> Resultat;
    for (const QString &cCle : std::as_const(Cles)) {
        if (!CleHistoriqueValide(cCle) || !FichierOrdinaire(cCle + QStringLiteral("Index.htm")))
            continue;
        const TLigneHistoAlbumWEB &L = Ligne(cCle);
        if (F.lMotCle && !ContientMotCle(L.cMotsCles, F.cMotCle, F.lMotEntier))
            continue;
        Resultat << L;
    }
    return Resultat;
}

TSuppressionHisto THistoriqueAlbumsWEB::Supprime(const QString &cCle, IOperationsFichiers &Operations)
{
    TSuppressionHisto S;
    if (!CleHistoriqueValide(cCle)) {
        S.cMessage = QStringLiteral("Le dossier « %1 » n'est pas un album WEB : il n'est pas supprimé.")
                         .arg(QDir::cleanPath(cCle));
        return S;
    }
    const TJetAlbumWEB J = JetteAlbumWEB(cCle, m_Protections, true, Operations);
    if (J.nEtat == TEtatJetAlbumWEB::Refuse) {
        S.cMessage = J.cRaison;
        return S;
    }
    if (J.nEtat == TEtatJetAlbumWEB::Echec) {
        S.nEtat = TEtatSuppressionHisto::Echec;
        S.cMessage = QStringLiteral("L'album WEB '%1' n'a pas été supprimé : %2")
                         .arg(cCle.chopped(1).section(QLatin1Char('/'), -1), J.cRaison);
        return S;
    }
    m_Cache.remove(cCle);
    m_Parametres.DeleteKey(cSectionAlbumsWebHistorique, cCle);
    if (!m_Parametres.UpdateFile()) {
        S.nEtat = TEtatSuppressionHisto::NonSauve;
        S.cMessage = QStringLiteral("%1 : %2").arg(m_Parametres.FileName(), m_Parametres.DerniereErreur());
        return S;
    }
    S.nEtat = TEtatSuppressionHisto::Supprime;
    return S;
}
