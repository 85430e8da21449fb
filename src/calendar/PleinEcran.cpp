#include "calendar/PleinEcran.h"

#include <cmath>

namespace PleinEcran
{
int Arrondi(double d)
{
    // The default rounding mode rounds halves to even.
    return int(std::nearbyint(d));
}

bool PlusGrandQueEcran(QSize Image, QSize Ecran)
{
    return Image.width() > Ecran.width() || Image.height() > Ecran.height();
}

TDisposition DisposerImage(QSize Image, QSize Ecran, bool lAjuste, QSize Zoom)
{
    TDisposition d;
    d.Taille = lAjuste ? Image : Zoom;
    if (lAjuste && PlusGrandQueEcran(Image, Ecran) && Ecran.width() > 0 && Ecran.height() > 0) {
        const double r = std::max(double(Image.width()) / Ecran.width(), double(Image.height()) / Ecran.height());
        d.Taille = QSize(Arrondi(Image.width() / r), Arrondi(Image.height() / r));
    }
    d.Position.setX(d.Taille.width() < Ecran.width() ? (Ecran.width() - d.Taille.width()) / 2 : 0);
    d.Position.setY(d.Taille.height() < Ecran.height() ? (Ecran.height() - d.Taille.height()) / 2 : 0);
    d.lCentrer = PlusGrandQueEcran(d.Taille, Ecran);
    return d;
}

std::optional<QRect> Zone(QSize Image, QPoint Position, QSize Ecran, int nPositLargeur)
{
    if (nPositLargeur <= 0 || Image.width() <= 0)
        return std::nullopt;
    const double x = double(Image.width()) / nPositLargeur;
    return QRect(Arrondi(-Position.x() / x), Arrondi(-Position.y() / x), Arrondi(Ecran.width() / x),
                 Arrondi(Ecran.height() / x));
}

std::optional<QPoint> PositionDepuisClic(QSize Image, QSize Ecran, int nPositLargeur, QPoint Clic)
{
    if (!PlusGrandQueEcran(Image, Ecran) || nPositLargeur <= 0 || Image.width() <= 0)
        return std::nullopt;
    const double x = double(Image.width()) / nPositLargeur;
    return QPoint(-Arrondi(Clic.x() * x - Ecran.width() / 2), -Arrondi(Clic.y() * x - Ecran.height() / 2));
}

TActionTouche ActionTouche(int nTouche, Qt::KeyboardModifiers Modificateurs, int nLigne, int nNombre, bool lZoom,
                           const std::array<bool, 4> &lTrts)
{
    // The keypad's arrows and page keys carry their own flag: it is no modifier here.
    const Qt::KeyboardModifiers m = Modificateurs & ~Qt::KeypadModifier;
    TActionTouche a;
    const bool lNavigation = nTouche == Qt::Key_PageUp || nTouche == Qt::Key_PageDown || nTouche == Qt::Key_End
                             || nTouche == Qt::Key_Home || nTouche == Qt::Key_Left || nTouche == Qt::Key_Up
                             || nTouche == Qt::Key_Right || nTouche == Qt::Key_Down;
    if (m == Qt::NoModifier) {
        if (nTouche == Qt::Key_Escape) {
            a.nGenre = TActionTouche::Fermer;
        } else if (lNavigation) {
            a.nGenre = TActionTouche::Naviguer;
            a.nTouche = nTouche;
            // The list wraps round at both ends.
            if (nTouche == Qt::Key_Left && nLigne == 0 && nNombre > 0)
                a.nTouche = Qt::Key_End;
            else if (nTouche == Qt::Key_Right && nNombre > 0 && nLigne == nNombre - 1)
                a.nTouche = Qt::Key_Home;
        }
        return a;
    }
    if (m != Qt::ControlModifier)
        return a;
    if (nTouche == Qt::Key_PageUp || nTouche == Qt::Key_PageDown || nTouche == Qt::Key_End || nTouche == Qt::Key_Home) {
        a.nGenre = lZoom ? TActionTouche::Zoom : TActionTouche::Bip;
        a.nTouche = nTouche;
        return a;
    }
    static constexpr std::array<int, 4> nTouchesTrt{Qt::Key_G, Qt::Key_D, Qt::Key_H, Qt::Key_V};
    for (int i = 0; i < 4; ++i)
        if (nTouche == nTouchesTrt[size_t(i)]) {
            a.nGenre = lTrts[size_t(i)] ? TActionTouche::Traitement : TActionTouche::Bip;
            a.nTrt = i;
        }
    return a;
}

TAvanceImages::TAvanceImages(std::function<TImagePleinEcran(const QString &)> fnDecode, std::function<void()> fnPret)
    : m_fnDecode(std::move(fnDecode)), m_fnPret(std::move(fnPret))
{
    m_Fil = std::thread([this] { Travaille(); });
}

TAvanceImages::~TAvanceImages()
{
    {
        std::lock_guard Verrou(m_Verrou);
        m_lFin = true;
        m_Attente.clear();
    }
    m_Reveil.notify_all();
    m_Fil.join();
}

void TAvanceImages::Travaille()
{
    for (;;) {
        QString cFichier;
        {
            std::unique_lock Verrou(m_Verrou);
            m_Reveil.wait(Verrou, [this] { return m_lFin || !m_Attente.empty(); });
            if (m_lFin)
                return;
            cFichier = m_Attente.front();
            m_Attente.pop_front();
            m_lTravail = true;
            m_cEnCours = cFichier;
            m_Decodages.append(cFichier);
        }
        TImagePleinEcran Image = m_fnDecode ? m_fnDecode(cFichier) : TImagePleinEcran{};
        Image.cFichier = cFichier;
        {
            std::lock_guard Verrou(m_Verrou);
            m_Finies.append(std::move(Image));
            m_lTravail = false;
            m_cEnCours.clear();
        }
        if (m_fnPret)
            m_fnPret();
    }
}

void TAvanceImages::Garde(const TImagePleinEcran &Image)
{
    for (TImagePleinEcran &g : m_Gardees)
        if (g.cFichier == Image.cFichier) {
            g = Image;
            return;
        }
    m_Gardees.append(Image);
}

std::optional<TImagePleinEcran> TAvanceImages::Demande(const QString &cCourant, const QString &cSuivant,
                                                       const QString &cPrecedent)
{
    // Whatever finished meanwhile may be one of the three wanted now.
    Recoit();
    m_cCourant = cCourant;
    m_cSuivant = cSuivant;
    m_cPrecedent = cPrecedent;
    m_Gardees.removeIf([&](const TImagePleinEcran &g) {
        return g.cFichier.isEmpty() || (g.cFichier != cCourant && g.cFichier != cSuivant && g.cFichier != cPrecedent);
    });
    std::optional<TImagePleinEcran> Courante;
    std::deque<QString> Attente;
    for (const QString &c : {cCourant, cSuivant, cPrecedent}) {
        if (c.isEmpty())
            continue;
        auto it = std::find_if(m_Gardees.cbegin(), m_Gardees.cend(),
                               [&](const TImagePleinEcran &g) { return g.cFichier == c; });
        if (it != m_Gardees.cend()) {
            if (c == cCourant)
                Courante = *it;
        } else if (std::find(Attente.begin(), Attente.end(), c) == Attente.end()) {
            Attente.push_back(c);
        }
    }
    {
        std::lock_guard Verrou(m_Verrou);
        // The decode running now comes in anyway: it is not asked for twice.
        std::erase(Attente, m_cEnCours);
        m_Attente = std::move(Attente);
    }
    m_Reveil.notify_all();
    return Courante;
}

std::optional<TImagePleinEcran> TAvanceImages::Recoit()
{
    QList<TImagePleinEcran> Finies;
    {
        std::lock_guard Verrou(m_Verrou);
        Finies.swap(m_Finies);
    }
    std::optional<TImagePleinEcran> Courante;
    for (const TImagePleinEcran &Image : Finies) {
        if (Image.cFichier != m_cCourant && Image.cFichier != m_cSuivant && Image.cFichier != m_cPrecedent)
            continue;
        Garde(Image);
        if (Image.cFichier == m_cCourant)
            Courante = Image;
    }
    return Courante;
}

void TAvanceImages::Oublie(const QString &cFichier)
{
    m_Gardees.removeIf([&](const TImagePleinEcran &g) { return g.cFichier == cFichier; });
}

QStringList TAvanceImages::Gardees() const
{
    QStringList l;
    for (const TImagePleinEcran &g : m_Gardees)
        l.append(g.cFichier);
    return l;
}

QStringList TAvanceImages::Decodages() const
{
    std::lock_guard Verrou(m_Verrou);
    return m_Decodages;
}

bool TAvanceImages::Occupe() const
{
    std::lock_guard Verrou(m_Verrou);
    return m_lTravail || !m_Attente.empty() || !m_Finies.isEmpty();
}
} // namespace PleinEcran
