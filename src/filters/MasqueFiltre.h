#pragma once
// One mask of a filter, compiled once per list build and matched against many values.

#include <QString>
#include <memory>

class TMasqueFiltre
{
public:
    explicit TMasqueFiltre(const QString &cMasque);
    ~TMasqueFiltre();
    TMasqueFiltre(const TMasqueFiltre &) = delete;
    TMasqueFiltre &operator=(const TMasqueFiltre &) = delete;

    bool Valide() const;
    // The 1-based position of the fault of an invalid mask.
    int PositionErreur() const;
    // The whole value matches the mask (letters without regard to case).
    bool Correspond(const QString &cValeur) const;

private:
    struct TDonnees;
    std::unique_ptr<TDonnees> d;
};
