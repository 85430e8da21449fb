#pragma once
// Width and height of an image. Kept unpacked in memory; packed as width + 65536 × height
// only where a stored value (RESOLUTIONS VIGNETTES, the packed result of image loading) needs
// it. A side of 65,536 pixels or more cannot be packed and is never stored corrupted.

#include <QtGlobal>
#include <optional>

struct TTailleImage
{
    qint64 nLargeur = 0;
    qint64 nHauteur = 0;

    bool Vide() const { return nLargeur <= 0 || nHauteur <= 0; }
    bool Packable() const { return nLargeur >= 0 && nHauteur >= 0 && nLargeur < 65536 && nHauteur < 65536; }
    // The stored form, as a signed 32-bit decimal; nullopt when a side does not fit.
    std::optional<qint32> Packe() const
    {
        if (!Packable())
            return std::nullopt;
        return static_cast<qint32>(static_cast<quint32>(nLargeur + 65536 * nHauteur));
    }
    // Read back unsigned, so that a height of 32,768 or more does not turn negative.
    static TTailleImage DePacke(qint64 nValeur)
    {
        const quint32 n = static_cast<quint32>(nValeur);
        return {static_cast<qint64>(n & 0xFFFF), static_cast<qint64>(n >> 16)};
    }
    qint64 Pixels() const { return nLargeur * nHauteur; }
    friend bool operator==(const TTailleImage &, const TTailleImage &) = default;
};
