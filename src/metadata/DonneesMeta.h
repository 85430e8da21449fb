#pragma once
// The EXIF and IPTC texts of one image, as the image list keeps them: display-ready texts,
// an empty text meaning the value is absent. The list record of an entry embeds both.

#include <QString>

struct TDonneesEXIF
{
    bool lEXIF = false;  // the reader succeeded and at least one value below is present
    bool lFocEq = false; // cFocale holds the 35 mm equivalent
    QString cAppareil;
    QString cFocale;
    QString cFocaleReelle;
    QString cVitesse;
    QString cDiaphragme;
    QString cDatePDV;
    QString cISO;
    QString cOrientation = QStringLiteral("1");
    QString cCommentaire;

    void Efface() { *this = TDonneesEXIF(); }
    // True when one of the seven values that make an image "have EXIF" is present.
    bool AValeurs() const
    {
        return !cAppareil.isEmpty() || !cFocale.isEmpty() || !cVitesse.isEmpty() || !cDiaphragme.isEmpty()
               || !cDatePDV.isEmpty() || !cISO.isEmpty() || !cCommentaire.isEmpty();
    }
    friend bool operator==(const TDonneesEXIF &, const TDonneesEXIF &) = default;
};

// Separator of the values of a repeatable IPTC dataset (keywords, supplemental categories).
inline constexpr QChar cSepIPTC = QChar(1);

struct TDonneesIPTC
{
    bool lIPTC = false;
    bool lIPTCLegende = false;
    bool lIPTCMotsCles = false;
    bool lIPTCCategorie = false;
    bool lIPTCCredits = false;
    bool lIPTCOrigine = false;
    QString cTitre;        // 2:105
    QString cTexte;        // 2:120
    QString cCopyright;    // 2:116
    QString cAuteur;       // 2:122
    QString cMotsClesIPTC; // 2:25, values joined by cSepIPTC
    QString cCategorie;    // 2:15
    QString cCatSuppl;     // 2:20, values joined by cSepIPTC
    QString cCredits;      // 2:110
    QString cSource;       // 2:115
    QString cOriNom;       // 2:5
    QString cOriDate;      // 2:55, DD/MM/CCYY
    QString cOriVille;     // 2:90
    QString cOriEtat;      // 2:95
    QString cOriPays;      // 2:101

    void Efface() { *this = TDonneesIPTC(); }
    // The group flags and lIPTC, from the fields.
    void CalculeGroupes()
    {
        lIPTCLegende = !cTitre.isEmpty() || !cTexte.isEmpty() || !cCopyright.isEmpty() || !cAuteur.isEmpty();
        lIPTCMotsCles = !cMotsClesIPTC.isEmpty();
        lIPTCCategorie = !cCategorie.isEmpty() || !cCatSuppl.isEmpty();
        lIPTCCredits = !cCredits.isEmpty() || !cSource.isEmpty();
        lIPTCOrigine = !cOriNom.isEmpty() || !cOriDate.isEmpty() || !cOriVille.isEmpty() || !cOriEtat.isEmpty()
                       || !cOriPays.isEmpty();
        lIPTC = lIPTCLegende || lIPTCMotsCles || lIPTCCategorie || lIPTCCredits || lIPTCOrigine;
    }
    // The fourteen fields in their stored order (the order of the cached record).
    QString *Champ(int i)
    {
        QString *const champs[] = {&cTitre,   &cTexte,  &cCopyright, &cAuteur,  &cMotsClesIPTC, &cCategorie, &cCatSuppl,
                                   &cCredits, &cSource, &cOriNom,    &cOriDate, &cOriVille,     &cOriEtat,   &cOriPays};
        return (i >= 0 && i < 14) ? champs[i] : nullptr;
    }
    const QString *Champ(int i) const { return const_cast<TDonneesIPTC *>(this)->Champ(i); }
    friend bool operator==(const TDonneesIPTC &, const TDonneesIPTC &) = default;
};
