#include "filters/MasqueFiltre.h"

#include <QRegularExpression>

// Stand-in until the program's pattern matcher is available.
struct TMasqueFiltre::TDonnees
{
    QRegularExpression Re;
    int nErreur = 0;
};

TMasqueFiltre::TMasqueFiltre(const QString &cMasque) : d(std::make_unique<TDonnees>())
{
    const int nOuvre = static_cast<int>(cMasque.indexOf(QLatin1Char('[')));
    if (nOuvre >= 0 && cMasque.indexOf(QLatin1Char(']'), nOuvre) < 0) {
        d->nErreur = nOuvre + 1;
        return;
    }
    d->Re = QRegularExpression(
        QRegularExpression::wildcardToRegularExpression(cMasque, QRegularExpression::DefaultWildcardConversion),
        QRegularExpression::CaseInsensitiveOption);
    if (!d->Re.isValid())
        d->nErreur = 1;
}

TMasqueFiltre::~TMasqueFiltre() = default;

bool TMasqueFiltre::Valide() const
{
    return d->nErreur == 0;
}

int TMasqueFiltre::PositionErreur() const
{
    return d->nErreur;
}

bool TMasqueFiltre::Correspond(const QString &cValeur) const
{
    return Valide() && d->Re.match(cValeur).hasMatch();
}
