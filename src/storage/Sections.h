#pragma once
// The names of the sections of the stores, as they stand in the files. Every unit names a
// section through these constants, so that a section is spelt in one place only; the lists of
// sections that follow an image around are built from them.

#include <QString>
#include <QStringList>

// ---- The settings store: one section per setting group ----
inline const QString cSectionGeneral = QStringLiteral("GENERAL");
inline const QString cSectionHistoriqueRepertoires = QStringLiteral("HISTORIQUE REPERTOIRES");
inline const QString cSectionCritHier = QStringLiteral("CRITERES HIERARCHIQUES");
inline const QString cSectionMotsClesEnregistres = QStringLiteral("MOTS-CLES ENREGISTRES");
// The mount points seen mounted (keys: the mount points ending with "/", in the order they were
// first seen).
inline const QString cSectionPointsMontage = QStringLiteral("POINTS DE MONTAGE");
inline const QString cSectionLabelsCD = QStringLiteral("LABELS CD");
inline const QString cSectionAlbumsWebHistorique = QStringLiteral("ALBUMS WEB:HISTORIQUE");

// ---- The settings store: one key per image (the image key) ----
inline const QString cSectionRotations = QStringLiteral("ROTATIONS");
inline const QString cSectionMiroirs = QStringLiteral("MIROIRS");
inline const QString cSectionNoirEtBlanc = QStringLiteral("NOIR ET BLANC");
inline const QString cSectionContrasteLuminosite = QStringLiteral("CONTRASTE LUMINOSITE");
inline const QString cSectionNegatif = QStringLiteral("NEGATIF");
inline const QString cSectionCanaux = QStringLiteral("CANAUX");
inline const QString cSectionMotsCles = QStringLiteral("MOTS-CLES");
inline const QString cSectionCoupsDeCoeur = QStringLiteral("COUPS DE COEUR");
inline const QString cSectionLegendes = QStringLiteral("LEGENDES");
inline const QString cSectionDescriptions = QStringLiteral("DESCRIPTIONS");
inline const QString cSectionEXIF = QStringLiteral("EXIF");
inline const QString cSectionIPTC = QStringLiteral("IPTC");
inline const QString cSectionTaillesVignettes = QStringLiteral("TAILLES VIGNETTES");
inline const QString cSectionResolutionsVignettes = QStringLiteral("RESOLUTIONS VIGNETTES");
inline const QString cSectionAlbumImages = QStringLiteral("SAUVEGARDE ALBUM IMAGES");
inline const QString cSectionAlbumWeb = QStringLiteral("SAUVEGARDE ALBUM WEB");

// ---- The camera store ----
inline const QString cSectionCoeffFoc = QStringLiteral("COEFF MULT FOC EXIF");

// The remembered treatments of an image, in the order they are applied.
inline const QStringList cSectionsTraitements = {cSectionRotations,           cSectionMiroirs, cSectionNoirEtBlanc,
                                                 cSectionContrasteLuminosite, cSectionNegatif, cSectionCanaux};

// Wanted names for renaming, copying and deleting image files, and the start-up clean-up.
inline const QStringList cSectionsFichiersImages =
    cSectionsTraitements + QStringList{cSectionMotsCles,    cSectionCoupsDeCoeur, cSectionLegendes,
                                       cSectionAlbumImages, cSectionAlbumWeb,     cSectionResolutionsVignettes};

// Wanted names for the migration of the catalogue to version 1.15.
inline const QStringList cSectionsMigration115 =
    cSectionsTraitements
    + QStringList{
        cSectionMotsCles,         cSectionCoupsDeCoeur,        cSectionEXIF, cSectionAlbumImages, cSectionAlbumWeb,
        cSectionTaillesVignettes, cSectionResolutionsVignettes};

// Wanted names for deleting images from the CD history: every section that may hold a CD image.
inline const QStringList cSectionsHistoriqueCD = cSectionsTraitements
                                                 + QStringList{cSectionMotsCles,
                                                               cSectionCoupsDeCoeur,
                                                               cSectionLegendes,
                                                               cSectionEXIF,
                                                               cSectionIPTC,
                                                               cSectionDescriptions,
                                                               cSectionAlbumImages,
                                                               cSectionAlbumWeb,
                                                               cSectionTaillesVignettes,
                                                               cSectionResolutionsVignettes};
