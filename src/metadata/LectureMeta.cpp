#include "metadata/LectureMeta.h"

#include "imaging/FileKinds.h"
#include "metadata/Iptc.h"
#include "metadata/SourceOctets.h"

TModeEXIF ModeEXIF(const QString &cFichier, QString *cSource)
{
    if (cSource)
        *cSource = cFichier;
    const QString ext = ExtensionMaj(cFichier);
    if (ext == QLatin1String(".JPG") || ext == QLatin1String(".JPEG"))
        return TModeEXIF::Jpeg;
    if (ext == QLatin1String(".CRW")) {
        const QString cThm = CompagnonTHM(cFichier);
        if (cThm.isEmpty())
            return TModeEXIF::Crw;
        if (cSource)
            *cSource = cThm;
        return TModeEXIF::Jpeg;
    }
    if (ext == QLatin1String(".CR2") || ext == QLatin1String(".NEF") || ext == QLatin1String(".ORF")
        || ext == QLatin1String(".PEF") || ext == QLatin1String(".TIF"))
        return TModeEXIF::Tiff;
    if (ext == QLatin1String(".RAF"))
        return TModeEXIF::Raf;
    if (ext == QLatin1String(".MRW"))
        return TModeEXIF::Mrw;
    return TModeEXIF::Aucun;
}

TLectureEXIF LitEXIF(const QString &cFichier, bool lModeleSeul)
{
    QString cSource;
    const TModeEXIF Mode = ModeEXIF(cFichier, &cSource);
    if (Mode == TModeEXIF::Aucun)
        return {};
    TSourceOctets s(cSource);
    return LitEXIFSource(s, Mode, lModeleSeul);
}

void TermineLectureEXIF(const TLectureEXIF &Lecture, TDonneesEXIF &Enr, bool lModeleSeul, const TContexteFocale &Focale)
{
    Enr = Lecture.Donnees;
    Enr.lEXIF = false;
    Enr.lFocEq = false;
    Enr.cFocaleReelle.clear();
    if (Lecture.lTIFF && !lModeleSeul)
        ApprendreCoeffFocale(Focale.iniCFAPN, Enr.cAppareil, Enr.cFocale, Lecture.nFocale35);
    Enr.lEXIF = Lecture.lLu && Enr.AValeurs();
    if (Enr.lEXIF) {
        Enr.cFocaleReelle = Enr.cFocale;
        Enr.lFocEq = ConvertirFocale(Focale, Enr.cAppareil, Enr.cFocale);
    }
}

void LireEXIF(const QString &cFichier, TDonneesEXIF &Enr, bool lModeleSeul, const TContexteFocale &Focale)
{
    TermineLectureEXIF(LitEXIF(cFichier, lModeleSeul), Enr, lModeleSeul, Focale);
}

void LireIPTC(const QString &cFichier, TDonneesIPTC &Enr)
{
    Enr.Efface();
    if (!EstJPEG(cFichier))
        return;
    TSourceOctets s(cFichier);
    Enr = LitIPTCSource(s);
}

TMetaImage LitMetaImage(const QString &cFichier)
{
    TMetaImage m;
    QString cSource;
    const TModeEXIF Mode = ModeEXIF(cFichier, &cSource);
    if (Mode == TModeEXIF::Aucun)
        return m;
    TSourceOctets s(cSource);
    m.EXIF = LitEXIFSource(s, Mode, false);
    // IPTC is read from JPEG files only; the source is then the file itself.
    if (EstJPEG(cFichier)) {
        m.IPTC = LitIPTCSource(s);
        // The frame header lies in the same head of the file: no second open for the size.
        LitTailleSOF(s, m.nLargeur, m.nHauteur);
    }
    return m;
}

void AppliqueMetaImage(const TMetaImage &Meta, TDonneesEXIF &EXIF, TDonneesIPTC &IPTC, const TContexteFocale &Focale)
{
    TermineLectureEXIF(Meta.EXIF, EXIF, false, Focale);
    IPTC = Meta.IPTC;
}
