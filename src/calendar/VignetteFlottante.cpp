#include "calendar/VignetteFlottante.h"

#include "calendar/PleinEcran.h"
#include "imaging/FileKinds.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <vector>

namespace VignetteFlottante
{
QString FichierAffichable(const QString &cImage, const QString &cVignette, bool lJPEG, bool lCD, bool lAussiDepuisCD)
{
    if (!cVignette.isEmpty())
        return cVignette;
    if (lJPEG && (!lCD || lAussiDepuisCD))
        return cImage;
    return {};
}

void Trie(QList<TEnrVF> &Liste)
{
    // Each name is put in upper case once, not at every comparison: nodes hold thousands.
    std::vector<std::pair<QString, qsizetype>> Cles;
    Cles.reserve(size_t(Liste.size()));
    for (qsizetype i = 0; i < Liste.size(); ++i)
        Cles.emplace_back(Liste[i].cNom.toUpper(), i);
    std::stable_sort(Cles.begin(), Cles.end(), [](const auto &a, const auto &b) {
        return QString::compare(a.first, b.first, Qt::CaseSensitive) < 0;
    });
    QList<TEnrVF> Triee;
    Triee.reserve(Liste.size());
    for (const auto &c : Cles)
        Triee.append(std::move(Liste[c.second]));
    Liste = std::move(Triee);
}

TListeVF ListeDossier(const QString &cDossier, bool lCD, bool lAussiDepuisCD,
                      const std::function<QString(const QString &)> &fnVignette, int nMaxFichiers)
{
    TListeVF r;
    QString cBase = cDossier;
    if (!cBase.endsWith(QLatin1Char('/')))
        cBase += QLatin1Char('/');
    QDirIterator it(cBase, QDir::Files | QDir::Hidden | QDir::System);
    for (int n = 0; it.hasNext() && n < nMaxFichiers; ++n) {
        it.next();
        const QString cNom = it.fileName();
        if (cNom.startsWith(QLatin1Char('.')) || !EstImage(cNom))
            continue;
        ++r.nNombre;
        const QString cFichier = cBase + cNom;
        const QString cAffiche = FichierAffichable(cFichier, fnVignette ? fnVignette(cFichier) : QString(),
                                                   EstJPEG(cNom), lCD, lAussiDepuisCD);
        if (!cAffiche.isEmpty())
            r.Liste.append({cNom, cAffiche});
    }
    Trie(r.Liste);
    return r;
}

TChoix Choisit(int nQuelleImg, const QList<TEnrVF> &Liste, const TEnrVigFlot &R, const QString &cNoeud, bool lVisible,
               int X, int nGauche, int nDroite, const std::function<int(int)> &fnHasard)
{
    TChoix c;
    const int nCompte = int(Liste.size());
    if (nCompte == 0)
        return c;
    if (nQuelleImg == 2) {
        if (R.cNoeud != cNoeud || !lVisible) {
            const int n = fnHasard ? fnHasard(nCompte) : 0;
            c.nPosition = std::clamp(n, 0, nCompte - 1);
            c.lCharger = true;
        } else {
            c.lMontrer = !R.cFichier.isEmpty();
        }
        return c;
    }
    if (nQuelleImg == 1) {
        c.nPosition = nCompte - 1;
    } else if (nQuelleImg == 3 && nDroite > nGauche) {
        c.nPosition = PleinEcran::Arrondi(double(nCompte - 1) * (X - nGauche) / (nDroite - nGauche));
    } else {
        c.nPosition = 0;
    }
    // The pointer may stand a pixel outside the text's rectangle.
    c.nPosition = std::clamp(c.nPosition, 0, nCompte - 1);
    c.lCharger = Liste[c.nPosition].cFichier != R.cFichier || !lVisible;
    c.lMontrer = !c.lCharger;
    return c;
}

int EchelleJPEG(QSize Taille)
{
    const int n = std::max(Taille.width(), Taille.height());
    for (int nEchelle : {8, 4, 2})
        if (n / nEchelle >= 100)
            return nEchelle;
    return 1;
}

bool TropGrande(QSize Taille, int nMaxLH)
{
    return std::max(Taille.width(), Taille.height()) > nMaxLH;
}

QSize Boite(QSize Taille)
{
    const int w = Taille.width(), h = Taille.height();
    if (w <= 0 || h <= 0)
        return {};
    if (w >= h)
        return {100, PleinEcran::Arrondi(double(h) * 100 / w)};
    return {PleinEcran::Arrondi(double(w) * 100 / h), 100};
}

QSize Client(QSize Boite)
{
    return {Boite.width(), Boite.height() + 26};
}

QPoint Coin(QSize Arbre, QSize Client, QPoint Souris)
{
    const int x = Souris.x() > Arbre.width() / 2 ? 0 : Arbre.width() - Client.width() - 4;
    const int y = Souris.y() > Arbre.height() / 2 ? 0 : Arbre.height() - Client.height() - 4;
    return {x, y};
}

QString TexteNombre(int nRang, int nNombre)
{
    return QStringLiteral("%1°/%2 Image(s)").arg(nRang).arg(nNombre);
}

QString NomAffiche(const QString &cNom)
{
    return cNom.mid(cNom.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace VignetteFlottante
