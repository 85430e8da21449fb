#include "storage/Settings.h"

#include "storage/BigIniFiles.h"

namespace {

const QString &G = cSectionGeneral;

int LitEntier(const TBigIniFile &Ini, const QString &cCle, int nDefaut, int nMin, int nMax)
{
    const int n = Ini.ReadInteger(G, cCle, nDefaut);
    return (n < nMin || n > nMax) ? nDefaut : n;
}

QString LitOrdre(const TBigIniFile &Ini, const QString &cCle, const QString &cDefaut)
{
    const QString c = Ini.ReadString(G, cCle, cDefaut);
    return EstOrdreValide(c, cDefaut.toUpper()) ? c : cDefaut;
}

QString LitOrdrePartiel(const TBigIniFile &Ini, const QString &cCle, const QString &cDefaut)
{
    const QString c = Ini.ReadString(G, cCle, cDefaut);
    return EstOrdrePartielValide(c, cDefaut.toUpper()) ? c : cDefaut;
}

// The thumbnail sizes in pixels (the cache's table), to floor the thumbnail pane.
constexpr int nTaillesVignettesPixels[nNbTaillesVignettes] = {60, 80, 100, 120, 140, 160, 180, 200, 250, 300};

// Far beyond any screen, but small enough that sums of sizes never overflow.
constexpr int nTailleMax = 100000;

} // namespace

bool EstOrdrePartielValide(const QString &cOrdre, const QString &cLettres)
{
    QString cVues;
    for (const QChar c : cOrdre) {
        if (!c.isLetter())
            continue;
        const QChar cMaj = c.toUpper();
        if (c.unicode() > 127 || !cLettres.contains(cMaj) || cVues.contains(cMaj))
            return false;
        cVues += cMaj;
    }
    return true;
}

bool EstOrdreValide(const QString &cOrdre, const QString &cLettres)
{
    if (cOrdre.size() != cLettres.size())
        return false;
    QString cVues;
    for (const QChar c : cOrdre) {
        const QChar cMaj = c.toUpper();
        if (!cLettres.contains(cMaj) || cVues.contains(cMaj))
            return false;
        // Only plain ASCII letters: "ß".toUpper() and the like must not pass as a letter.
        if (c.unicode() > 127)
            return false;
        cVues += cMaj;
    }
    return true;
}

int TailleVignette(int nIndTailleVigs)
{
    if (nIndTailleVigs < 0 || nIndTailleVigs >= nNbTaillesVignettes)
        nIndTailleVigs = 5;
    return nTaillesVignettesPixels[nIndTailleVigs];
}

void TEnrParametres::Lit(const TBigIniFile &Ini, const QString &cDossierDonnees)
{
    const TEnrParametres D;  // the defaults
    kcVersion = Ini.ReadString(G, QStringLiteral("kcVersion"), QString());
    cRep = Ini.ReadString(G, QStringLiteral("cRep"), cDossierDonnees);
    cRepSvgVig = Ini.ReadString(G, QStringLiteral("cRepSvgVig"), cDossierDonnees);

    nEtatFen_Main = LitEntier(Ini, QStringLiteral("nEtatFen_Main"), D.nEtatFen_Main, 0, 2);
    nLeft_Main = LitEntier(Ini, QStringLiteral("nLeft_Main"), D.nLeft_Main, -nTailleMax, nTailleMax);
    nTop_Main = LitEntier(Ini, QStringLiteral("nTop_Main"), D.nTop_Main, -nTailleMax, nTailleMax);
    nWidth_Main = LitEntier(Ini, QStringLiteral("nWidth_Main"), D.nWidth_Main, 1, nTailleMax);
    nHeight_Main = LitEntier(Ini, QStringLiteral("nHeight_Main"), D.nHeight_Main, 1, nTailleMax);

    pnCommandes_Width = LitEntier(Ini, QStringLiteral("pnCommandes.Width"), D.pnCommandes_Width, 0, nTailleMax);
    pnCommandes_Width = std::max(pnCommandes_Width, nLargMinCommandes);
    pcExplRech_Height = LitEntier(Ini, QStringLiteral("pcExplRech.Height"), D.pcExplRech_Height, 0, nTailleMax);

    nIndTailleVigs = LitEntier(Ini, QStringLiteral("nIndTailleVigs"), D.nIndTailleVigs, 0, nNbTaillesVignettes - 1);
    const int nMinVigs = TailleVignette(nIndTailleVigs) + 42;
    pnVigs_Align = LitEntier(Ini, QStringLiteral("pnVigs.Align"), D.pnVigs_Align, 0, 1);
    pnVigs_LargHaut = LitEntier(Ini, QStringLiteral("pnVigs.LargHaut"), nMinVigs, 0, nTailleMax);
    pnVigs_LargHaut = std::max(pnVigs_LargHaut, nMinVigs);

    lvImgs_ViewStyle = LitEntier(Ini, QStringLiteral("lvImgs.ViewStyle"), D.lvImgs_ViewStyle, 0, 3);
    nLVColTri = LitEntier(Ini, QStringLiteral("nLVColTri"), D.nLVColTri, 0, 5);
    cOrdreCol = LitOrdre(Ini, QStringLiteral("cOrdreCol"), D.cOrdreCol);

    lConsRapZoom = Ini.ReadBool(G, QStringLiteral("lConsRapZoom"), D.lConsRapZoom);
    lSauveRapZoom = Ini.ReadBool(G, QStringLiteral("lSauveRapZoom"), D.lSauveRapZoom);
    nRapZoom = lSauveRapZoom ? LitEntier(Ini, QStringLiteral("nRapZoom"), D.nRapZoom, 0, nNbRapZoom - 1)
                             : nIndRapZoom11;

    lVigPan3D = Ini.ReadBool(G, QStringLiteral("lVigPan3D"), D.lVigPan3D);
    nVigCoulFond = LitEntier(Ini, QStringLiteral("nVigCoulFond"), D.nVigCoulFond, 0, nNbCouleurs - 1);
    nVigCoulPan = LitEntier(Ini, QStringLiteral("nVigCoulPan"), D.nVigCoulPan, 0, nNbCouleurs - 1);
    nVigCoulTxtPan = LitEntier(Ini, QStringLiteral("nVigCoulTxtPan"), D.nVigCoulTxtPan, 0, nNbCouleurs - 1);
    nImgFACoulFond = LitEntier(Ini, QStringLiteral("nImgFACoulFond"), D.nImgFACoulFond, 0, nNbCouleurs - 1);
    nImgPECoulFond = LitEntier(Ini, QStringLiteral("nImgPECoulFond"), D.nImgPECoulFond, 0, nNbCouleurs - 1);
    nIndLargMaxSvgTtesVig =
        LitEntier(Ini, QStringLiteral("nIndLargMaxSvgTtesVig"), D.nIndLargMaxSvgTtesVig, 0, nNbLargMaxSvgTtesVig - 1);

    cOrdreTrt = LitOrdre(Ini, QStringLiteral("cOrdreTrt"), D.cOrdreTrt);
    cOrdreEXIF = LitOrdrePartiel(Ini, QStringLiteral("cOrdreEXIF"), D.cOrdreEXIF);
    cOrdreIPTC = LitOrdrePartiel(Ini, QStringLiteral("cOrdreIPTC"), D.cOrdreIPTC);

    lHintAffTRT = Ini.ReadBool(G, QStringLiteral("lHintAffTRT"), D.lHintAffTRT);
    lHintAffCRIT = Ini.ReadBool(G, QStringLiteral("lHintAffCRIT"), D.lHintAffCRIT);
    lHintAffAlbImg = Ini.ReadBool(G, QStringLiteral("lHintAffAlbImg"), D.lHintAffAlbImg);
    lHintAffAlbWHP = Ini.ReadBool(G, QStringLiteral("lHintAffAlbWHP"), D.lHintAffAlbWHP);
    lHintAffEXIF = Ini.ReadBool(G, QStringLiteral("lHintAffEXIF"), D.lHintAffEXIF);
    lHintAffIPTC = Ini.ReadBool(G, QStringLiteral("lHintAffIPTC"), D.lHintAffIPTC);
    lAffHintDsLVImgs = Ini.ReadBool(G, QStringLiteral("lAffHintDsLVImgs"), D.lAffHintDsLVImgs);
    lAgrandirLVQdSurvol = Ini.ReadBool(G, QStringLiteral("lAgrandirLVQdSurvol"), D.lAgrandirLVQdSurvol);
    lPreRemplCBEXIFApp = Ini.ReadBool(G, QStringLiteral("lPreRemplCBEXIFApp"), D.lPreRemplCBEXIFApp);
    lCoeffFocDansTable = Ini.ReadBool(G, QStringLiteral("lCoeffFocDansTable"), D.lCoeffFocDansTable);
    lOrientationAuto = Ini.ReadBool(G, QStringLiteral("lOrientationAuto"), D.lOrientationAuto);
    lPreRemplCBLeg = Ini.ReadBool(G, QStringLiteral("lPreRemplCBLeg"), D.lPreRemplCBLeg);
    lLegComplSaisie = Ini.ReadBool(G, QStringLiteral("lLegComplSaisie"), D.lLegComplSaisie);
    nAffLegMaxCarLig = LitEntier(Ini, QStringLiteral("nAffLegMaxCarLig"), D.nAffLegMaxCarLig, -nTailleMax, nTailleMax);
    lDeplEntArboCritHier = Ini.ReadBool(G, QStringLiteral("lDeplEntArboCritHier"), D.lDeplEntArboCritHier);
    lTrierArboCritHier = Ini.ReadBool(G, QStringLiteral("lTrierArboCritHier"), D.lTrierArboCritHier);
    lDecocheImgAprAffectCrit = Ini.ReadBool(G, QStringLiteral("lDecocheImgAprAffectCrit"), D.lDecocheImgAprAffectCrit);
    lEtendRechCritEnf = Ini.ReadBool(G, QStringLiteral("lEtendRechCritEnf"), D.lEtendRechCritEnf);
    lLireVigDsTHM = Ini.ReadBool(G, QStringLiteral("lLireVigDsTHM"), D.lLireVigDsTHM);
    lTrtTHMDsOpFic = Ini.ReadBool(G, QStringLiteral("lTrtTHMDsOpFic"), D.lTrtTHMDsOpFic);
    lTrtWAVDsOpFic = Ini.ReadBool(G, QStringLiteral("lTrtWAVDsOpFic"), D.lTrtWAVDsOpFic);
    lTrtDescription = Ini.ReadBool(G, QStringLiteral("lTrtDescription"), D.lTrtDescription);
    lModeMAJ = Ini.ReadBool(G, QStringLiteral("lModeMAJ"), D.lModeMAJ);
    lMenuCipalVisible = Ini.ReadBool(G, QStringLiteral("lMenuCipalVisible"), D.lMenuCipalVisible);
    lTrtApercu = Ini.ReadBool(G, QStringLiteral("lTrtApercu"), D.lTrtApercu);
    lMsgConfQuitAppli = Ini.ReadBool(G, QStringLiteral("lMsgConfQuitAppli"), D.lMsgConfQuitAppli);

    vfGene_lActive = Ini.ReadBool(G, QStringLiteral("vfGene.lActive"), D.vfGene_lActive);
    vfGene_lAussiDepuisCD = Ini.ReadBool(G, QStringLiteral("vfGene.lAussiDepuisCD"), D.vfGene_lAussiDepuisCD);
    vfGene_nMaxLH = LitEntier(Ini, QStringLiteral("vfGene.nMaxLH"), D.vfGene_nMaxLH, 1, nTailleMax);
    vfGene_nQuelleImg = LitEntier(Ini, QStringLiteral("vfGene.nQuelleImg"), D.vfGene_nQuelleImg, 0, 3);
    nMasqueChoixDon = Ini.ReadInteger(G, QStringLiteral("nMasqueChoixDon"), D.nMasqueChoixDon);

    cParamNB = Ini.ReadString(G, QStringLiteral("cParamNB"), D.cParamNB);
    cParamCL = Ini.ReadString(G, QStringLiteral("cParamCL"), D.cParamCL);
    lCLSynchroC = Ini.ReadBool(G, QStringLiteral("lCLSynchroC"), D.lCLSynchroC);
    lCLSynchroL = Ini.ReadBool(G, QStringLiteral("lCLSynchroL"), D.lCLSynchroL);
    cParamCanaux = Ini.ReadString(G, QStringLiteral("cParamCanaux"), D.cParamCanaux);

    nLeft_GDC = LitEntier(Ini, QStringLiteral("nLeft_GDC"), D.nLeft_GDC, -nTailleMax, nTailleMax);
    nTop_GDC = LitEntier(Ini, QStringLiteral("nTop_GDC"), D.nTop_GDC, -nTailleMax, nTailleMax);
    nWidth_GDC = LitEntier(Ini, QStringLiteral("nWidth_GDC"), D.nWidth_GDC, 1, nTailleMax);
    nHeight_GDC = LitEntier(Ini, QStringLiteral("nHeight_GDC"), D.nHeight_GDC, 1, nTailleMax);
    lcbR_GDC = Ini.ReadBool(G, QStringLiteral("lcbR_GDC"), D.lcbR_GDC);
    lcbV_GDC = Ini.ReadBool(G, QStringLiteral("lcbV_GDC"), D.lcbV_GDC);
    lcbB_GDC = Ini.ReadBool(G, QStringLiteral("lcbB_GDC"), D.lcbB_GDC);
}

void TEnrParametres::Ecrit(TBigIniFile &Ini, const TEtatSortie &Etat) const
{
    const auto E = [&Ini](const char *cCle, int n) { Ini.WriteInteger(G, QLatin1String(cCle), n); };
    const auto B = [&Ini](const char *cCle, bool l) { Ini.WriteBool(G, QLatin1String(cCle), l); };
    const auto T = [&Ini](const char *cCle, const QString &c) { Ini.WriteString(G, QLatin1String(cCle), c); };

    T("kcVersion", cVersionProgramme);
    T("cRep", cRep);
    T("cRepSvgVig", cRepSvgVig);
    if (Etat.lCommandesDeplie)
        E("pnCommandes.Width", std::max(pnCommandes_Width, nLargMinCommandes));
    E("pcExplRech.Height", pcExplRech_Height);
    E("pnVigs.Align", pnVigs_Align);
    if (Etat.lVigsDeplie)
        E("pnVigs.LargHaut", pnVigs_LargHaut);
    E("lvImgs.ViewStyle", lvImgs_ViewStyle);

    E("nEtatFen_Main", nEtatFen_Main);
    E("nLeft_Main", nLeft_Main);
    E("nTop_Main", nTop_Main);
    E("nWidth_Main", nWidth_Main);
    E("nHeight_Main", nHeight_Main);
    E("nLVColTri", nLVColTri);
    T("cOrdreCol", cOrdreCol);
    B("lConsRapZoom", lConsRapZoom);
    B("lSauveRapZoom", lSauveRapZoom);
    if (lSauveRapZoom)
        E("nRapZoom", nRapZoom);
    B("lVigPan3D", lVigPan3D);
    E("nVigCoulFond", nVigCoulFond);
    E("nVigCoulPan", nVigCoulPan);
    E("nVigCoulTxtPan", nVigCoulTxtPan);
    E("nImgFACoulFond", nImgFACoulFond);
    E("nImgPECoulFond", nImgPECoulFond);
    E("nIndTailleVigs", nIndTailleVigs);
    E("nIndLargMaxSvgTtesVig", nIndLargMaxSvgTtesVig);
    T("cOrdreTrt", cOrdreTrt);
    T("cOrdreEXIF", cOrdreEXIF);
    T("cOrdreIPTC", cOrdreIPTC);
    B("lHintAffTRT", lHintAffTRT);
    B("lHintAffCRIT", lHintAffCRIT);
    B("lHintAffAlbImg", lHintAffAlbImg);
    B("lHintAffAlbWHP", lHintAffAlbWHP);
    B("lHintAffEXIF", lHintAffEXIF);
    B("lHintAffIPTC", lHintAffIPTC);
    B("lAffHintDsLVImgs", lAffHintDsLVImgs);
    B("lAgrandirLVQdSurvol", lAgrandirLVQdSurvol);
    B("lPreRemplCBEXIFApp", lPreRemplCBEXIFApp);
    B("lCoeffFocDansTable", lCoeffFocDansTable);
    B("lOrientationAuto", lOrientationAuto);
    B("lPreRemplCBLeg", lPreRemplCBLeg);
    B("lLegComplSaisie", lLegComplSaisie);
    E("nAffLegMaxCarLig", nAffLegMaxCarLig);
    B("lDeplEntArboCritHier", lDeplEntArboCritHier);
    B("lTrierArboCritHier", lTrierArboCritHier);
    B("lDecocheImgAprAffectCrit", lDecocheImgAprAffectCrit);
    B("lEtendRechCritEnf", lEtendRechCritEnf);
    B("lLireVigDsTHM", lLireVigDsTHM);
    B("lTrtTHMDsOpFic", lTrtTHMDsOpFic);
    B("lTrtWAVDsOpFic", lTrtWAVDsOpFic);
    B("lTrtDescription", lTrtDescription);
    B("lModeMAJ", lModeMAJ);
    B("lMenuCipalVisible", lMenuCipalVisible);
    B("lTrtApercu", lTrtApercu);
    B("lMsgConfQuitAppli", lMsgConfQuitAppli);
    B("vfGene.lActive", vfGene_lActive);
    B("vfGene.lAussiDepuisCD", vfGene_lAussiDepuisCD);
    E("vfGene.nMaxLH", vfGene_nMaxLH);
    E("vfGene.nQuelleImg", vfGene_nQuelleImg);
    T("cParamNB", cParamNB);
    T("cParamCL", cParamCL);
    B("lCLSynchroC", lCLSynchroC);
    B("lCLSynchroL", lCLSynchroL);
    T("cParamCanaux", cParamCanaux);
    E("nLeft_GDC", nLeft_GDC);
    E("nTop_GDC", nTop_GDC);
    E("nWidth_GDC", nWidth_GDC);
    E("nHeight_GDC", nHeight_GDC);
    B("lcbR_GDC", lcbR_GDC);
    B("lcbV_GDC", lcbV_GDC);
    B("lcbB_GDC", lcbB_GDC);
}

QStringList LitHistoriqueRepertoires(const TBigIniFile &iniSetup)
{
    QStringList cDossiers;
    iniSetup.ReadSection(cSectionHistoriqueRepertoires, cDossiers);
    cDossiers.removeAll(QString());
    cDossiers.removeDuplicates();
    return cDossiers;
}

void EcritHistoriqueRepertoires(TBigIniFile &iniSetup, const QStringList &cDossiers)
{
    iniSetup.EraseSection(cSectionHistoriqueRepertoires);
    const QStringList cGardes = cDossiers.mid(0, nMaxHistoriqueRepertoires);
    for (const QString &cDossier : cGardes)
        iniSetup.WriteString(cSectionHistoriqueRepertoires, cDossier, QString());
}
