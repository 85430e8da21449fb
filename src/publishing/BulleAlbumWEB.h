#pragma once
// The hint of an image as a web album shows it: the plain text of the program's markup, and
// the hint's own lines (folder, name and resolution, disc, size and date, EXIF and IPTC
// blocks) built from the list entry.

#include <QString>

struct TEnrLV;

// The text of a marked-up hint without its tags, the enclosed texts kept, lines joined by
// CR LF. A text without tags comes back with its line ends made CR LF.
QString TexteBrut(const QString &cTexte);

// What the hint needs beyond the entry.
struct TParamsBulleAlbumWEB
{
    QString cIdVolume; // the disc's identifier, for a CD image
    QString cLabelCD;  // its label when known
    bool lHintAffEXIF = true;
    bool lHintAffIPTC = false;
};

// The markup hint of an image: "folder\r\n<SG>name</SG/> <SS>[WxH]</SS/>", the disc line of a CD
// image, "size le date", then the EXIF and IPTC blocks the settings ask for.
QString TexteBulleAlbumWEB(const TEnrLV &Enr, const TParamsBulleAlbumWEB &Params);
