#include "exploration/RapportZoom.h"

#include "platform/FrenchFormats.h"

#include <QtMath>

#include <algorithm>
#include <limits>

namespace
{
constexpr int nFacteurs[RapportZoom::nNombre] = {1, 8, 6, 4, 3, 2, 1, 2, 3, 4, 6, 8};
// A scroll range is an int: a side beyond this cannot be scrolled through.
constexpr qint64 nCoteMax = std::numeric_limits<int>::max() / 2;

qint64 DivisionArrondiePair(qint64 nNum, qint64 nDen)
{
    const qint64 q = nNum / nDen, r = nNum % nDen;
    if (2 * r > nDen || (2 * r == nDen && (q & 1)))
        return q + 1;
    return q;
}

int Cote(qint64 n)
{
    return int(std::clamp<qint64>(n, 1, nCoteMax));
}
}

namespace RapportZoom
{
QString Texte(int nIndex)
{
    static const char *const cTextes[nNombre] = {"Ajusté", "8:1", "6:1", "4:1", "3:1", "2:1",
                                                 "1:1",    "1:2", "1:3", "1:4", "1:6", "1:8"};
    return nIndex >= 0 && nIndex < nNombre ? QString::fromUtf8(cTextes[nIndex]) : QString();
}

int Facteur(int nIndex)
{
    return nIndex >= 0 && nIndex < nNombre ? nFacteurs[nIndex] : 1;
}

bool Agrandit(int nIndex)
{
    return nIndex >= 1 && nIndex <= 5;
}

TAffichage Ajuste(qint64 W, qint64 H, int nPw, int nPh)
{
    TAffichage A;
    if (W <= 0 || H <= 0 || nPw <= 0 || nPh <= 0)
        return A;
    if (W <= nPw && H <= nPh) {
        A.Taille = QSize(Cote(W), Cote(H));
        A.cBulle = QStringLiteral("Rapport de Zoom : ajusté (1:1)");
        return A;
    }
    // r = max(W / Pw, H / Ph), compared without rounding: W × Ph against H × Pw. The side that
    // sets r becomes the pane's side exactly; the other is rounded.
    if (W * nPh >= H * nPw) {
        A.Taille = QSize(nPw, Cote(DivisionArrondiePair(H * nPw, W)));
        A.dRapport = double(W) / nPw;
    } else {
        A.Taille = QSize(Cote(DivisionArrondiePair(W * nPh, H)), nPh);
        A.dRapport = double(H) / nPh;
    }
    A.cBulle = QStringLiteral("Rapport de Zoom : ajusté (1:%1)").arg(FrenchFormats::Nombre(A.dRapport, 2));
    return A;
}

TAffichage Affichage(int nIndex, qint64 W, qint64 H, QSize Panneau)
{
    if (nIndex == nAjuste)
        return Ajuste(W, H, Panneau.width(), Panneau.height());
    TAffichage A;
    A.cBulle = QStringLiteral("Rapport de Zoom : ajusté à la fenêtre ou de 8:1 à 1:8");
    if (W <= 0 || H <= 0 || nIndex < 0 || nIndex >= nNombre)
        return A;
    const int k = Facteur(nIndex);
    if (Agrandit(nIndex)) {
        A.Taille = QSize(Cote(W * k), Cote(H * k));
        A.dRapport = 1.0 / k;
    } else {
        A.Taille = QSize(Cote(W / k), Cote(H / k));
        A.dRapport = k;
    }
    return A;
}

bool EstToucheZoom(int nTouche, Qt::KeyboardModifiers Modificateurs)
{
    if ((Modificateurs & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return false;
    return nTouche == Qt::Key_PageUp || nTouche == Qt::Key_PageDown || nTouche == Qt::Key_End
           || nTouche == Qt::Key_Home;
}

int IndexApresTouche(int nIndex, int nTouche, bool lActive)
{
    if (!lActive)
        return nIndex;
    switch (nTouche) {
    case Qt::Key_PageUp: return nIndex > 1 ? nIndex - 1 : nIndex;
    case Qt::Key_PageDown: return nIndex > 0 && nIndex < nNombre - 1 ? nIndex + 1 : nIndex;
    case Qt::Key_End: return nAjuste;
    case Qt::Key_Home: return nUnUn;
    default: return nIndex;
    }
}

int EchelleJpeg(qint64 W, qint64 H, QSize Affichee)
{
    if (Affichee.isEmpty())
        return 8;
    for (int k : {8, 4, 2}) {
        const qint64 w = (W + k - 1) / k, h = (H + k - 1) / k;
        if (w >= Affichee.width() && h >= Affichee.height())
            return k;
    }
    return 1;
}

bool DemiTailleSuffit(qint64 W, qint64 H, QSize Affichee)
{
    return !Affichee.isEmpty() && W / 2 >= Affichee.width() && H / 2 >= Affichee.height();
}

bool TGlissement::Appuie(QPoint ptPointeur, QPoint ptDefilement, bool lPlusGrand)
{
    const bool lDoubleClic = m_lDoubleClic;
    m_lDoubleClic = false;
    m_lDeplace = false;
    m_lEnCours = lPlusGrand && !lDoubleClic;
    m_ptAppui = ptPointeur;
    m_ptDefilementAppui = ptDefilement;
    return m_lEnCours;
}

QPoint TGlissement::Deplace(QPoint ptPointeur)
{
    if (!m_lEnCours)
        return m_ptDefilementAppui;
    if (ptPointeur != m_ptAppui)
        m_lDeplace = true;
    return m_ptDefilementAppui - (ptPointeur - m_ptAppui);
}

bool TGlissement::Relache()
{
    const bool lDeplace = m_lEnCours && m_lDeplace;
    m_lEnCours = false;
    return lDeplace;
}

void TGlissement::DoubleClic()
{
    m_lEnCours = false;
    m_lDoubleClic = true;
}

void TGlissement::Arrete()
{
    m_lEnCours = false;
    m_lDeplace = false;
    m_lDoubleClic = false;
}
}
