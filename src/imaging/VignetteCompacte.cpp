#include "imaging/VignetteCompacte.h"

#include "imaging/JpegCodec.h"

#include <algorithm>
#include <climits>

TVignetteCompacte TVignetteCompacte::DeJpeg(const QByteArray &Octets, QSize TailleJpeg, QSize TailleAffichee)
{
    TVignetteCompacte v;
    if (Octets.isEmpty() || TailleJpeg.isEmpty() || TailleAffichee.isEmpty())
        return v;
    v.Octets_ = Octets;
    v.TailleJpeg_ = TailleJpeg;
    v.TailleAffichee_ = TailleAffichee;
    return v;
}

TVignetteCompacte TVignetteCompacte::DeJpeg(const QByteArray &Octets, QSize TailleAffichee)
{
    TTailleImage t;
    if (!JpegCodec::TailleMemoire(Octets, t) || t.nLargeur > INT_MAX || t.nHauteur > INT_MAX)
        return {};
    return DeJpeg(Octets, QSize(static_cast<int>(t.nLargeur), static_cast<int>(t.nHauteur)), TailleAffichee);
}

TVignetteCompacte TVignetteCompacte::DePixels(const QImage &Image)
{
    TVignetteCompacte v;
    if (Image.isNull() || Image.width() <= 0 || Image.height() <= 0)
        return v;
    v.Pixels_ = Image;
    v.TailleAffichee_ = Image.size();
    return v;
}

TVignetteCompacte TVignetteCompacte::AfficheeA(QSize Taille) const
{
    if (Vide() || Taille.isEmpty())
        return {};
    TVignetteCompacte v = *this;
    v.TailleAffichee_ = Taille;
    return v;
}

QImage TVignetteCompacte::Decode(QString *cErreur) const
{
    if (Vide())
        return {};
    QImage Image = Pixels_;
    if (EstJpeg()) {
        // A file made for a larger grid is decoded no finer than this size needs.
        const int nEchelle = JpegCodec::EchellePour(std::max(TailleJpeg_.width(), TailleJpeg_.height()),
                                                    std::max(TailleAffichee_.width(), TailleAffichee_.height()));
        Image = JpegCodec::DecodeMemoire(Octets_, nEchelle, cErreur, JpegCodec::TAvertissements::Refuses);
        if (Image.isNull())
            return {};
    }
    if (Image.size() != TailleAffichee_)
        Image = Image.scaled(TailleAffichee_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Image.convertToFormat(Image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}
