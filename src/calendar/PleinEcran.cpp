#include "calendar/PleinEcran.h"

#include "exploration/ChargeurImage.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"

#include <algorithm>
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

QRect PlaceApercu(QSize Vignette, QSize Ecran)
{
    if (Vignette.isEmpty() || Ecran.isEmpty())
        return {};
    const QSize Taille = Vignette.scaled(Ecran, Qt::KeepAspectRatio);
    return {QPoint((Ecran.width() - Taille.width()) / 2, (Ecran.height() - Taille.height()) / 2), Taille};
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

bool TRepetition::Accepte(quint64 nHorodatage, bool lRepetition) const
{
    if (!lRepetition || m_nDuree < 0 || nHorodatage < m_nHorodatage)
        return true;
    return qint64(nHorodatage - m_nHorodatage) >= m_nDuree;
}

void TRepetition::Fin(quint64 nHorodatage, qint64 nDuree)
{
    m_nHorodatage = nHorodatage;
    m_nDuree = nDuree;
}

QImage ImageAffichee(const QImage &Image, QSize Taille, QSize Ecran)
{
    if (Image.isNull() || Taille.isEmpty())
        return {};
    const QSize Affichee = DisposerImage(Taille, Ecran, true, {}).Taille;
    const bool lFormat =
        Image.format() == QImage::Format_RGB32 || Image.format() == QImage::Format_ARGB32_Premultiplied;
    if (Affichee == Image.size() && lFormat)
        return {};
    QImage r =
        Affichee == Image.size() ? Image : Image.scaled(Affichee, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (r.format() != QImage::Format_RGB32 && r.format() != QImage::Format_ARGB32_Premultiplied)
        r = std::move(r).convertToFormat(r.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    return r;
}

TImagePleinEcran ImagePourEcran(const QString &cFichier, const TCommandeImage &Commande,
                                const std::atomic<bool> &lAbandon, qint64 nOctetsMax)
{
    const JpegCodec::TAbandonDecodage Abandon(lAbandon);
    TImageDecodee d = DecodePour(
        {cFichier, Commande.nZoom, Commande.lTourne ? Commande.Ecran.transposed() : Commande.Ecran}, nOctetsMax);
    TImagePleinEcran r;
    r.cFichier = cFichier;
    r.lLue = d.Valide();
    if (!r.lLue || lAbandon)
        return r;
    const QSize Decodee = d.Image.size();
    r.Taille = QSize(int(d.Taille.nLargeur), int(d.Taille.nHauteur));
    // Handed over, not shared: the treatments then work in place instead of on a copy. A
    // failed treatment leaves the picture as it was.
    r.Image = std::move(d.Image);
    if (!Commande.Trts.isEmpty())
        AppliqueTrts(r.Image, Commande.Trts);
    if (r.Image.size() != Decodee)
        r.Taille.transpose();
    if (Commande.nZoom == RapportZoom::nAjuste && !lAbandon)
        r.Affichee = ImageAffichee(r.Image, r.Taille, Commande.Ecran);
    return r;
}

TAvanceImages::TAvanceImages(TDecodeur fnDecode, std::function<void()> fnPret, int nFils)
    : m_fnDecode(std::move(fnDecode)), m_fnPret(std::move(fnPret))
{
    for (int i = 0; i < std::max(nFils, 1); ++i)
        m_Fils.emplace_back([this] { Travaille(); });
}

TAvanceImages::TAvanceImages(const std::function<TImagePleinEcran(const QString &)> &fnDecode,
                             std::function<void()> fnPret)
    : TAvanceImages(
        [fnDecode](const QString &cFichier, const std::atomic<bool> &) {
            return fnDecode ? fnDecode(cFichier) : TImagePleinEcran{};
        },
        std::move(fnPret))
{}

TAvanceImages::~TAvanceImages()
{
    {
        std::lock_guard Verrou(m_Verrou);
        m_lFin = true;
        m_Attente.clear();
        for (TTache &t : m_EnCours)
            Abandonne(t);
    }
    m_Reveil.notify_all();
    for (std::thread &f : m_Fils)
        f.join();
}

void TAvanceImages::Abandonne(TTache &Tache)
{
    if (!Tache.pAbandon->exchange(true))
        ++m_nAbandons;
}

bool TAvanceImages::PeutPrendre() const
{
    return !m_Attente.empty() && (m_cPremier.isEmpty() || m_Attente.front() == m_cPremier);
}

void TAvanceImages::Travaille()
{
    for (;;) {
        TTache Tache;
        {
            std::unique_lock Verrou(m_Verrou);
            m_Reveil.wait(Verrou, [this] { return m_lFin || PeutPrendre(); });
            if (m_lFin)
                return;
            Tache.cFichier = m_Attente.front();
            Tache.pAbandon = std::make_shared<std::atomic<bool>>(false);
            m_Attente.pop_front();
            m_EnCours.append(Tache);
            m_Decodages.append(Tache.cFichier);
        }
        TImagePleinEcran Image = m_fnDecode ? m_fnDecode(Tache.cFichier, *Tache.pAbandon) : TImagePleinEcran{};
        Image.cFichier = Tache.cFichier;
        bool lGardee = false;
        {
            std::lock_guard Verrou(m_Verrou);
            m_EnCours.removeIf([&](const TTache &t) { return t.pAbandon == Tache.pAbandon; });
            // An abandoned decode may have stopped half-way: its picture is not trusted.
            if (!Tache.pAbandon->load()) {
                m_Finies.append(std::move(Image));
                lGardee = true;
            }
        }
        m_Reveil.notify_all();
        if (lGardee && m_fnPret)
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
    const auto Voulu = [&](const QString &c) {
        return !c.isEmpty() && (c == cCourant || c == cSuivant || c == cPrecedent);
    };
    m_Gardees.removeIf([&](const TImagePleinEcran &g) { return !Voulu(g.cFichier); });
    const auto Gardee = [&](const QString &c) {
        return std::any_of(m_Gardees.cbegin(), m_Gardees.cend(),
                           [&](const TImagePleinEcran &g) { return g.cFichier == c; });
    };
    std::optional<TImagePleinEcran> Courante;
    for (const TImagePleinEcran &g : std::as_const(m_Gardees))
        if (g.cFichier == cCourant)
            Courante = g;
    m_lRemise = Courante.has_value();
    {
        std::lock_guard Verrou(m_Verrou);
        // The current image goes first and alone: every other decode running is dropped, the
        // neighbours being asked again after it. Even when it is kept, they wait until the
        // owner's next Recoit, so as not to slow the picture's way to the screen.
        m_cPremier = cCourant;
        const bool lAFaire = !cCourant.isEmpty() && !Courante;
        for (TTache &t : m_EnCours)
            if (!Voulu(t.cFichier) || (lAFaire && t.cFichier != cCourant))
                Abandonne(t);
        std::deque<QString> Attente;
        for (const QString &c : {cCourant, cSuivant, cPrecedent}) {
            if (c.isEmpty() || Gardee(c) || std::find(Attente.begin(), Attente.end(), c) != Attente.end())
                continue;
            const bool lEnCours = std::any_of(m_EnCours.cbegin(), m_EnCours.cend(),
                                              [&](const TTache &t) { return t.cFichier == c && !t.pAbandon->load(); });
            if (!lEnCours)
                Attente.push_back(c);
        }
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
        if (Image.cFichier.isEmpty()
            || (Image.cFichier != m_cCourant && Image.cFichier != m_cSuivant && Image.cFichier != m_cPrecedent))
            continue;
        Garde(Image);
        if (Image.cFichier == m_cCourant)
            Courante = Image;
    }
    // The neighbours start on the owner's call after the one that handed the current picture
    // over: by then it is on the screen, and their decodes no longer compete with its paint.
    const bool lPrise = !Courante && m_lRemise
                        && std::any_of(m_Gardees.cbegin(), m_Gardees.cend(),
                                       [&](const TImagePleinEcran &g) { return g.cFichier == m_cCourant; });
    if (Courante)
        m_lRemise = true;
    if (lPrise || m_cCourant.isEmpty()) {
        {
            std::lock_guard Verrou(m_Verrou);
            m_cPremier.clear();
        }
        m_Reveil.notify_all();
    }
    return Courante;
}

void TAvanceImages::Oublie(const QString &cFichier)
{
    m_Gardees.removeIf([&](const TImagePleinEcran &g) { return g.cFichier == cFichier; });
    std::lock_guard Verrou(m_Verrou);
    for (TTache &t : m_EnCours)
        if (t.cFichier == cFichier)
            Abandonne(t);
    m_Finies.removeIf([&](const TImagePleinEcran &g) { return g.cFichier == cFichier; });
}

void TAvanceImages::Vide()
{
    m_Gardees.clear();
    m_lRemise = false;
    m_cCourant.clear();
    m_cSuivant.clear();
    m_cPrecedent.clear();
    std::lock_guard Verrou(m_Verrou);
    for (TTache &t : m_EnCours)
        Abandonne(t);
    m_Attente.clear();
    m_Finies.clear();
    m_cPremier.clear();
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

int TAvanceImages::Abandons() const
{
    std::lock_guard Verrou(m_Verrou);
    return m_nAbandons;
}

bool TAvanceImages::Occupe() const
{
    std::lock_guard Verrou(m_Verrou);
    return !m_EnCours.isEmpty() || !m_Attente.empty() || !m_Finies.isEmpty();
}
} // namespace PleinEcran
