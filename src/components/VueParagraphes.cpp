#include "components/VueParagraphes.h"

#include "components/StyleBarres.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <QTextLayout>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <limits>

namespace
{
// The blank around the text, as a text box leaves.
constexpr int nMarge = 4;
// Layouts kept beyond this many are dropped at the next paint: only the screen needs them.
constexpr size_t nMaxDispositions = 1000;
constexpr char16_t cPuce = 0x2022;

// Every kind of line break as the one separator QTextLayout breaks a line on.
QString Convertit(const QString &s)
{
    if (!s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'\r') {
            if (i + 1 < s.size() && s.at(i + 1) == u'\n')
                ++i;
            r += QChar::LineSeparator;
        } else if (c == u'\n')
            r += QChar::LineSeparator;
        else
            r += c;
    }
    return r;
}

QString EnTexteBrut(QString s)
{
    return s.replace(QChar::LineSeparator, u'\n');
}

bool DansMot(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

QString Points(double r)
{
    return QString::number(r, 'g', 6) + QStringLiteral("pt");
}

QString TexteHTML(const QString &s)
{
    QString h = Convertit(s).toHtmlEscaped();
    return h.replace(QChar::LineSeparator, QStringLiteral("<br>"));
}
} // namespace

QString TexteAffiche(const TParagrapheRTF &Paragraphe)
{
    QString s;
    for (const TSegmentRTF &Segment : Paragraphe.lstSegments)
        s += Convertit(Segment.sTexte);
    return s;
}

QString HTMLDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes)
{
    QString h = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head>"
                               "<body style=\"white-space:pre-wrap\">\n");
    bool lListe = false;
    for (const TParagrapheRTF &p : lstParagraphes) {
        if (p.lPuce != lListe) {
            h += p.lPuce ? QStringLiteral("<ul style=\"margin-top:0;margin-bottom:0\">\n") : QStringLiteral("</ul>\n");
            lListe = p.lPuce;
        }
        QString cStyle = QStringLiteral("margin-top:0;margin-bottom:0;");
        switch (p.nAlignement) {
        case TAlignementRTF::Gauche: break;
        case TAlignementRTF::Centre: cStyle += QStringLiteral("text-align:center;"); break;
        case TAlignementRTF::Droite: cStyle += QStringLiteral("text-align:right;"); break;
        case TAlignementRTF::Justifie: cStyle += QStringLiteral("text-align:justify;"); break;
        }
        if (p.nRetraitGauche != 0)
            cStyle += QStringLiteral("margin-left:") + Points(p.nRetraitGauche / 20.0) + u';';
        if (p.nRetraitPremiereLigne != 0)
            cStyle += QStringLiteral("text-indent:") + Points(p.nRetraitPremiereLigne / 20.0) + u';';
        const QString cBalise = p.lPuce ? QStringLiteral("li") : QStringLiteral("p");
        h += u'<' + cBalise + QStringLiteral(" style=\"") + cStyle + QStringLiteral("\">");
        bool lVide = true;
        for (const TSegmentRTF &s : p.lstSegments) {
            if (s.sTexte.isEmpty())
                continue;
            lVide = false;
            QString cSpan = QStringLiteral("font-size:") + Points(s.rTaille) + u';';
            if (s.lGras)
                cSpan += QStringLiteral("font-weight:bold;");
            if (s.lSouligne)
                cSpan += QStringLiteral("text-decoration:underline;");
            h += QStringLiteral("<span style=\"") + cSpan + QStringLiteral("\">") + TexteHTML(s.sTexte)
                 + QStringLiteral("</span>");
        }
        // An empty line keeps the height of its size.
        if (lVide)
            h += QStringLiteral("<span style=\"font-size:")
                 + Points(p.lstSegments.isEmpty() ? 8.0 : p.lstSegments.first().rTaille)
                 + QStringLiteral("\"><br></span>");
        h += QStringLiteral("</") + cBalise + QStringLiteral(">\n");
    }
    if (lListe)
        h += QStringLiteral("</ul>\n");
    h += QStringLiteral("</body></html>\n");
    return h;
}

// One paragraph laid out for a device, in a given width (device pixels).
struct TVueParagraphes::TDisposition
{
    std::unique_ptr<QTextLayout> Layout;
    qreal rXPuce = -1; // where the bullet is drawn; -1: none
    QFont PolicePuce;
    qreal rHauteur = 0;

    TDisposition(const TParagrapheRTF &p, const QFont &Police, QPaintDevice *pPeripherique, qreal rLargeur)
    {
        QFont Base = Police;
        Base.setPointSizeF(p.lstSegments.isEmpty() ? 8.0 : p.lstSegments.first().rTaille);
        QString cTexte;
        QList<QTextLayout::FormatRange> Formats;
        for (const TSegmentRTF &s : p.lstSegments) {
            const QString c = Convertit(s.sTexte);
            if (c.isEmpty())
                continue;
            QTextLayout::FormatRange f;
            f.start = int(cTexte.size());
            f.length = int(c.size());
            QFont PoliceSegment = Police;
            PoliceSegment.setPointSizeF(s.rTaille);
            PoliceSegment.setBold(s.lGras);
            PoliceSegment.setUnderline(s.lSouligne);
            f.format.setFont(PoliceSegment);
            Formats << f;
            cTexte += c;
        }
        Layout = std::make_unique<QTextLayout>(cTexte, Base, pPeripherique);
        Layout->setFormats(Formats);
        const qreal rDpi = pPeripherique->logicalDpiX();
        QTextOption Option;
        Option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        // Tab stops every half inch, as word processors place them. Qt scales the distance from
        // its 96-dpi reference to the device itself.
        Option.setTabStopDistance(96 / 2.0);
        switch (p.nAlignement) {
        case TAlignementRTF::Gauche: Option.setAlignment(Qt::AlignLeft); break;
        case TAlignementRTF::Centre: Option.setAlignment(Qt::AlignHCenter); break;
        case TAlignementRTF::Droite: Option.setAlignment(Qt::AlignRight); break;
        case TAlignementRTF::Justifie: Option.setAlignment(Qt::AlignJustify); break;
        }
        Layout->setTextOption(Option);

        const qreal rTwip = rDpi / 1440.0;
        const qreal rPremiere = std::max(0.0, (p.nRetraitGauche + p.nRetraitPremiereLigne) * rTwip);
        qreal rAutres = std::max(0.0, p.nRetraitGauche * rTwip);
        qreal rDecalage = 0;
        if (p.lPuce) {
            // The bullet takes the first line's indent; the text of every line follows it.
            PolicePuce = Base;
            const QFontMetricsF fm(Base, pPeripherique);
            rXPuce = rPremiere;
            rDecalage = fm.horizontalAdvance(QChar(cPuce)) + fm.averageCharWidth() * 1.5;
            rAutres = rPremiere;
        }
        Layout->beginLayout();
        qreal y = 0;
        bool lPremiere = true;
        for (;;) {
            QTextLine Ligne = Layout->createLine();
            if (!Ligne.isValid())
                break;
            const qreal x = (lPremiere ? rPremiere : rAutres) + rDecalage;
            Ligne.setLineWidth(std::max<qreal>(8.0, rLargeur - x));
            Ligne.setPosition(QPointF(x, y));
            y += Ligne.height();
            lPremiere = false;
        }
        Layout->endLayout();
        rHauteur = y;
    }

    void DessinePuce(QPainter &Peintre, QPointF Origine) const
    {
        if (rXPuce < 0 || Layout->lineCount() == 0)
            return;
        const QTextLine Premiere = Layout->lineAt(0);
        Peintre.setFont(PolicePuce);
        Peintre.drawText(Origine + QPointF(rXPuce, Premiere.y() + Premiere.ascent()), QString(QChar(cPuce)));
    }
};

void ImprimeParagraphes(const QList<TParagrapheRTF> &lstParagraphes, const QFont &Police,
                        QPagedPaintDevice &Peripherique)
{
    QPainter Peintre(&Peripherique);
    if (!Peintre.isActive())
        return;
    const qreal rLargeur = Peripherique.width(), rHauteurPage = Peripherique.height();
    qreal y = 0;
    for (const TParagrapheRTF &p : lstParagraphes) {
        const TVueParagraphes::TDisposition d(p, Police, &Peripherique, rLargeur);
        // A paragraph breaks between its lines; a line taller than a page goes alone on its page.
        for (int i = 0; i < d.Layout->lineCount(); ++i) {
            const QTextLine Ligne = d.Layout->lineAt(i);
            if (y > 0 && y + Ligne.height() > rHauteurPage) {
                Peripherique.newPage();
                y = 0;
            }
            const QPointF Origine(0, y - Ligne.y());
            Ligne.draw(&Peintre, Origine);
            if (i == 0)
                d.DessinePuce(Peintre, Origine);
            y += Ligne.height();
        }
    }
}

TVueParagraphes::TVueParagraphes(QWidget *Parent) : QAbstractScrollArea(Parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    // Beside the white page, a thumb drawn lighter than its track would vanish.
    MarqueCurseur(verticalScrollBar());
    MajBarres();
}

TVueParagraphes::~TVueParagraphes() = default;

// ---- Heights ---------------------------------------------------------------------------------

qint64 TVueParagraphes::Prefixe(qsizetype n) const
{
    qint64 s = 0;
    for (size_t j = size_t(n); j > 0; j -= j & (~j + 1))
        s += m_Sommes[j];
    return s;
}

void TVueParagraphes::ChangeHauteur(qsizetype n, int nHauteur)
{
    const qint64 nEcart = qint64(nHauteur) - m_Hauteurs[size_t(n)];
    m_Hauteurs[size_t(n)] = nHauteur;
    for (size_t j = size_t(n) + 1; j < m_Sommes.size(); j += j & (~j + 1))
        m_Sommes[j] += nEcart;
}

void TVueParagraphes::AjouteAuxSommes(int nHauteur)
{
    if (m_Sommes.empty())
        m_Sommes.push_back(0);
    m_Hauteurs.push_back(nHauteur);
    const size_t j = m_Hauteurs.size();
    const size_t nBas = j & (~j + 1);
    // The new node covers the heights (j - nBas, j].
    m_Sommes.push_back(nHauteur + Prefixe(qsizetype(j - 1)) - Prefixe(qsizetype(j - nBas)));
}

void TVueParagraphes::ReconstruitSommes()
{
    const size_t n = m_Hauteurs.size();
    m_Sommes.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        m_Sommes[i] += m_Hauteurs[i - 1];
        const size_t p = i + (i & (~i + 1));
        if (p <= n)
            m_Sommes[p] += m_Sommes[i];
    }
}

qsizetype TVueParagraphes::ParagrapheA(qint64 y) const
{
    const size_t n = m_Hauteurs.size();
    if (n == 0 || y <= 0)
        return 0;
    size_t nPos = 0;
    qint64 nReste = y;
    for (size_t nPas = std::bit_floor(n); nPas > 0; nPas >>= 1)
        if (nPos + nPas <= n && m_Sommes[nPos + nPas] <= nReste) {
            nPos += nPas;
            nReste -= m_Sommes[nPos];
        }
    return qsizetype(std::min(nPos, n - 1));
}

int TVueParagraphes::LargeurContenu() const
{
    return std::max(1, viewport()->width() - 2 * nMarge);
}

double TVueParagraphes::PixelsParTwip() const
{
    return viewport()->logicalDpiX() / 1440.0;
}

const TVueParagraphes::TMetrique &TVueParagraphes::Metrique(double rTaille)
{
    const int nCle = int(std::lround(rTaille * 4));
    auto it = m_Metriques.find(nCle);
    if (it != m_Metriques.end())
        return *it;
    QFont Police = font();
    Police.setPointSizeF(rTaille);
    const QFontMetricsF fm(Police, viewport());
    return *m_Metriques.insert(nCle, TMetrique{int(std::ceil(fm.height())), fm.averageCharWidth()});
}

int TVueParagraphes::Estimation(const TParagrapheRTF &p)
{
    double rTaille = 0;
    qsizetype nCar = 0, nSauts = 0, nTabs = 0;
    for (const TSegmentRTF &s : p.lstSegments) {
        rTaille = std::max(rTaille, s.rTaille);
        nCar += s.sTexte.size();
        nSauts += s.sTexte.count(u'\n');
        nTabs += s.sTexte.count(u'\t');
    }
    // Reports run in a few sizes: the last one's metrics serve most paragraphs.
    if (rTaille <= 0)
        rTaille = 8.0;
    if (rTaille != m_rTailleMetrique) {
        m_MetriqueCourante = Metrique(rTaille);
        m_rTailleMetrique = rTaille;
    }
    const TMetrique &m = m_MetriqueCourante;
    double rRetrait =
        std::max(0, std::max(p.nRetraitGauche, p.nRetraitGauche + p.nRetraitPremiereLigne)) * m_rPixelsParTwip;
    // A bullet and its gap push the text by about three characters.
    if (p.lPuce)
        rRetrait += 3 * m.rLargeurCar;
    const double rLargeur = std::max(8.0, m_nLargeurEstimee - rRetrait);
    // A tab that indents the start takes a whole stop (half an inch), one after text half a stop
    // on average.
    qsizetype nTete = 0;
    if (!p.lstSegments.isEmpty())
        for (const QString &c = p.lstSegments.first().sTexte; nTete < c.size() && c.at(nTete) == u'\t';)
            ++nTete;
    const double rTexte = double(nCar - nTabs) * m.rLargeurCar + double(nTabs + nTete) * m_rPixelsParTwip * 360;
    const qint64 nLignes = nSauts + std::max<qint64>(1, qint64(std::ceil(rTexte / rLargeur)));
    return int(std::clamp<qint64>(nLignes * m.nInterligne, 1, INT_MAX / 4));
}

void TVueParagraphes::MajMesures()
{
    m_nLargeurEstimee = LargeurContenu();
    m_rPixelsParTwip = PixelsParTwip();
    m_rTailleMetrique = -1;
}

void TVueParagraphes::ReestimeTout()
{
    m_Dispositions.clear();
    MajMesures();
    m_Hauteurs.resize(size_t(m_Paragraphes.size()));
    m_Exactes.assign(size_t(m_Paragraphes.size()), 0);
    for (qsizetype i = 0; i < m_Paragraphes.size(); ++i)
        m_Hauteurs[size_t(i)] = Estimation(m_Paragraphes.at(i));
    ReconstruitSommes();
}

TVueParagraphes::TDisposition &TVueParagraphes::Dispose(qsizetype n)
{
    auto it = m_Dispositions.find(n);
    if (it != m_Dispositions.end())
        return *it->second;
    auto d = std::make_unique<TDisposition>(m_Paragraphes.at(n), font(), viewport(), LargeurContenu());
    const int nHauteur = std::max(1, int(std::ceil(d->rHauteur)));
    if (m_Hauteurs[size_t(n)] != nHauteur)
        ChangeHauteur(n, nHauteur);
    m_Exactes[size_t(n)] = 1;
    return *m_Dispositions.emplace(n, std::move(d)).first->second;
}

// ---- Scrolling -------------------------------------------------------------------------------

void TVueParagraphes::MajBarres()
{
    QScrollBar *b = verticalScrollBar();
    const qint64 nTotal = HauteurTotale() + 2 * nMarge;
    const int nVue = viewport()->height();
    b->setRange(0, int(std::clamp<qint64>(nTotal - nVue, 0, INT_MAX)));
    b->setPageStep(std::max(1, nVue));
    b->setSingleStep(std::max(1, QFontMetrics(font()).lineSpacing()));
}

qint64 TVueParagraphes::Decalage() const
{
    return verticalScrollBar()->value();
}

void TVueParagraphes::PrepareVisibles()
{
    if (m_Paragraphes.isEmpty()) {
        MajBarres();
        return;
    }
    if (m_Dispositions.size() > nMaxDispositions)
        m_Dispositions.clear();
    QScrollBar *b = verticalScrollBar();
    const int nVue = viewport()->height();
    // Laying out a paragraph gives its true height; the loop ends once nothing on screen moved
    // (at most a few passes: what was laid out stays).
    for (int nPasse = 0; nPasse < 4; ++nPasse) {
        // At the top of a report that turns out taller than estimated, the view stays there.
        const bool lFin = b->value() > 0 && b->value() >= b->maximum();
        const qint64 v = Decalage();
        qsizetype n = ParagrapheA(v - nMarge);
        qint64 y = nMarge + Prefixe(n) - v;
        bool lChange = false;
        while (n < m_Paragraphes.size() && y < nVue) {
            const int nAvant = m_Hauteurs[size_t(n)];
            Dispose(n);
            lChange = lChange || m_Hauteurs[size_t(n)] != nAvant;
            y += m_Hauteurs[size_t(n)];
            ++n;
        }
        MajBarres();
        if (!lChange)
            break;
        if (lFin)
            b->setValue(b->maximum());
    }
}

void TVueParagraphes::AllerAuDebut()
{
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void TVueParagraphes::AllerALaFin()
{
    if (m_Paragraphes.isEmpty())
        return;
    if (m_Dispositions.size() > nMaxDispositions)
        m_Dispositions.clear();
    // The last screenful laid out first, so that the end is where the bar says.
    const int nVue = viewport()->height();
    qint64 nCumul = nMarge;
    for (qsizetype n = m_Paragraphes.size() - 1; n >= 0 && nCumul < nVue; --n) {
        Dispose(n);
        nCumul += m_Hauteurs[size_t(n)];
    }
    MajBarres();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

QRect TVueParagraphes::RectParagraphe(qsizetype n) const
{
    const qint64 y = nMarge + Prefixe(n) - Decalage();
    return QRect(0, int(std::clamp<qint64>(y, INT_MIN / 2, INT_MAX / 2)), viewport()->width(), m_Hauteurs[size_t(n)]);
}

qsizetype TVueParagraphes::PremierVisible() const
{
    if (m_Paragraphes.isEmpty())
        return -1;
    return ParagrapheA(Decalage() - nMarge);
}

qsizetype TVueParagraphes::DernierVisible() const
{
    if (m_Paragraphes.isEmpty())
        return -1;
    return ParagrapheA(Decalage() + viewport()->height() - 1 - nMarge);
}

void TVueParagraphes::scrollContentsBy(int, int)
{
    if (!m_lPeinture)
        viewport()->update();
}

void TVueParagraphes::resizeEvent(QResizeEvent *Evenement)
{
    QAbstractScrollArea::resizeEvent(Evenement);
    if (LargeurContenu() == m_nLargeurEstimee || m_Paragraphes.isEmpty()) {
        MajMesures();
        MajBarres();
        return;
    }
    // The paragraph at the top stays at the top; the end stays the end.
    QScrollBar *b = verticalScrollBar();
    const bool lFin = b->value() > 0 && b->value() >= b->maximum();
    const qsizetype nHaut = PremierVisible();
    const qint64 nDans = Decalage() - nMarge - Prefixe(nHaut);
    ReestimeTout();
    MajBarres();
    if (lFin)
        AllerALaFin();
    else if (Decalage() > 0)
        b->setValue(int(nMarge + Prefixe(nHaut) + std::clamp<qint64>(nDans, 0, m_Hauteurs[size_t(nHaut)] - 1)));
    viewport()->update();
}

void TVueParagraphes::changeEvent(QEvent *Evenement)
{
    QAbstractScrollArea::changeEvent(Evenement);
    if (Evenement->type() == QEvent::FontChange) {
        m_Metriques.clear();
        m_rTailleMetrique = -1;
        ReestimeTout();
        MajBarres();
        viewport()->update();
    }
}

// ---- Contents --------------------------------------------------------------------------------

void TVueParagraphes::setParagraphes(const QList<TParagrapheRTF> &lstParagraphes)
{
    m_Paragraphes = lstParagraphes;
    m_Ancre = m_Curseur = {};
    ReestimeTout();
    MajBarres();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void TVueParagraphes::AjouteParagraphes(const QList<TParagrapheRTF> &lstNouveaux)
{
    if (m_nLargeurEstimee != LargeurContenu())
        ReestimeTout();
    for (const TParagrapheRTF &p : lstNouveaux) {
        m_Paragraphes << p;
        AjouteAuxSommes(Estimation(p));
        m_Exactes.push_back(0);
    }
    MajBarres();
    viewport()->update();
}

void TVueParagraphes::Efface()
{
    setParagraphes({});
}

QString TVueParagraphes::toPlainText() const
{
    QString s;
    for (qsizetype i = 0; i < m_Paragraphes.size(); ++i) {
        if (i > 0)
            s += u'\n';
        s += TexteAffiche(m_Paragraphes.at(i));
    }
    return EnTexteBrut(s);
}

// ---- Painting --------------------------------------------------------------------------------

void TVueParagraphes::paintEvent(QPaintEvent *)
{
    m_lPeinture = true;
    PrepareVisibles();
    m_lPeinture = false;
    QPainter Peintre(viewport());
    const QPalette::ColorGroup nGroupe = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const QPalette &Palette = palette();
    const TPositionParagraphe Debut = std::min(m_Ancre, m_Curseur), Fin = std::max(m_Ancre, m_Curseur);
    const int nVue = viewport()->height();
    const qint64 v = Decalage();
    qsizetype n = ParagrapheA(v - nMarge);
    qint64 y = nMarge + Prefixe(n) - v;
    while (n < m_Paragraphes.size() && y < nVue) {
        TDisposition &d = Dispose(n);
        QList<QTextLayout::FormatRange> Selection;
        if (ASelection() && n >= Debut.nParagraphe && n <= Fin.nParagraphe) {
            const qsizetype nDe = n == Debut.nParagraphe ? Debut.nCar : 0;
            const qsizetype nA = n == Fin.nParagraphe ? Fin.nCar : d.Layout->text().size();
            if (nA > nDe) {
                QTextLayout::FormatRange r;
                r.start = int(nDe);
                r.length = int(nA - nDe);
                r.format.setBackground(Palette.brush(nGroupe, QPalette::Highlight));
                r.format.setForeground(Palette.brush(nGroupe, QPalette::HighlightedText));
                Selection << r;
            }
        }
        const QPointF Origine(nMarge, qreal(y));
        Peintre.setPen(Palette.color(nGroupe, QPalette::Text));
        d.Layout->draw(&Peintre, Origine, Selection);
        d.DessinePuce(Peintre, Origine);
        y += m_Hauteurs[size_t(n)];
        ++n;
    }
}

// ---- Selection -------------------------------------------------------------------------------

TPositionParagraphe TVueParagraphes::PositionEn(QPoint Point)
{
    if (m_Paragraphes.isEmpty())
        return {};
    const qint64 y = Point.y() + Decalage() - nMarge;
    if (y < 0)
        return {};
    const qsizetype nDernier = m_Paragraphes.size() - 1;
    if (y >= HauteurTotale())
        return {nDernier, TexteAffiche(m_Paragraphes.at(nDernier)).size()};
    const qsizetype n = ParagrapheA(y);
    const int nAvant = m_Hauteurs[size_t(n)];
    TDisposition &d = Dispose(n);
    if (m_Hauteurs[size_t(n)] != nAvant)
        MajBarres();
    const qreal yDans = qreal(y - Prefixe(n));
    if (d.Layout->lineCount() == 0)
        return {n, 0};
    QTextLine Ligne = d.Layout->lineAt(d.Layout->lineCount() - 1);
    for (int i = 0; i < d.Layout->lineCount(); ++i)
        if (yDans < d.Layout->lineAt(i).y() + d.Layout->lineAt(i).height()) {
            Ligne = d.Layout->lineAt(i);
            break;
        }
    return {n, Ligne.xToCursor(Point.x() - nMarge)};
}

void TVueParagraphes::Selectionne(TPositionParagraphe Ancre, TPositionParagraphe Curseur)
{
    auto Borne = [this](TPositionParagraphe p) {
        if (m_Paragraphes.isEmpty())
            return TPositionParagraphe{};
        p.nParagraphe = std::clamp<qsizetype>(p.nParagraphe, 0, m_Paragraphes.size() - 1);
        p.nCar = std::clamp<qsizetype>(p.nCar, 0, TexteAffiche(m_Paragraphes.at(p.nParagraphe)).size());
        return p;
    };
    m_Ancre = Borne(Ancre);
    m_Curseur = Borne(Curseur);
    viewport()->update();
}

void TVueParagraphes::SelectionneTout()
{
    if (m_Paragraphes.isEmpty())
        return;
    const qsizetype nDernier = m_Paragraphes.size() - 1;
    Selectionne({0, 0}, {nDernier, TexteAffiche(m_Paragraphes.at(nDernier)).size()});
    CopieDansSelectionX11();
}

void TVueParagraphes::Deselectionne()
{
    m_Ancre = m_Curseur;
    viewport()->update();
}

QString TVueParagraphes::TexteSelectionne() const
{
    if (!ASelection())
        return {};
    const TPositionParagraphe Debut = std::min(m_Ancre, m_Curseur), Fin = std::max(m_Ancre, m_Curseur);
    QString s;
    for (qsizetype n = Debut.nParagraphe; n <= Fin.nParagraphe; ++n) {
        const QString c = TexteAffiche(m_Paragraphes.at(n));
        const qsizetype nDe = n == Debut.nParagraphe ? Debut.nCar : 0;
        const qsizetype nA = n == Fin.nParagraphe ? Fin.nCar : c.size();
        s += c.mid(nDe, nA - nDe);
        if (n < Fin.nParagraphe)
            s += u'\n';
    }
    return EnTexteBrut(s);
}

QList<TParagrapheRTF> TVueParagraphes::ParagraphesSelectionnes() const
{
    QList<TParagrapheRTF> l;
    if (!ASelection())
        return l;
    const TPositionParagraphe Debut = std::min(m_Ancre, m_Curseur), Fin = std::max(m_Ancre, m_Curseur);
    for (qsizetype n = Debut.nParagraphe; n <= Fin.nParagraphe; ++n) {
        const TParagrapheRTF &Source = m_Paragraphes.at(n);
        TParagrapheRTF p = Source;
        p.lstSegments.clear();
        const qsizetype nDe = n == Debut.nParagraphe ? Debut.nCar : 0;
        const qsizetype nA = n == Fin.nParagraphe ? Fin.nCar : std::numeric_limits<qsizetype>::max();
        qsizetype nPos = 0;
        for (const TSegmentRTF &s : Source.lstSegments) {
            const QString c = Convertit(s.sTexte);
            const qsizetype nDebutSeg = std::max(nDe, nPos), nFinSeg = std::min(nA, nPos + c.size());
            if (nFinSeg > nDebutSeg || (c.isEmpty() && p.lstSegments.isEmpty())) {
                TSegmentRTF Coupe = s;
                Coupe.sTexte = c.mid(nDebutSeg - nPos, std::max<qsizetype>(0, nFinSeg - nDebutSeg));
                p.lstSegments << Coupe;
            }
            nPos += c.size();
        }
        l << p;
    }
    return l;
}

QMimeData *TVueParagraphes::DonneesSelection() const
{
    const QList<TParagrapheRTF> l = ParagraphesSelectionnes();
    auto *Donnees = new QMimeData;
    Donnees->setText(TexteSelectionne());
    Donnees->setHtml(HTMLDeParagraphes(l));
    Donnees->setData(QStringLiteral("text/rtf"), RTFDeParagraphes(l, font().family()));
    return Donnees;
}

void TVueParagraphes::Copier()
{
    if (ASelection())
        QApplication::clipboard()->setMimeData(DonneesSelection());
}

void TVueParagraphes::CopieDansSelectionX11()
{
    QClipboard *pp = QApplication::clipboard();
    if (ASelection() && pp->supportsSelection())
        pp->setText(TexteSelectionne(), QClipboard::Selection);
}

QString TVueParagraphes::MotAutour(qsizetype n, qsizetype nCar, qsizetype &nDebut, qsizetype &nFin)
{
    const QString c = TexteAffiche(m_Paragraphes.at(n));
    nCar = std::clamp<qsizetype>(nCar, 0, c.size());
    if (nCar < c.size() && DansMot(c.at(nCar))) {
        nDebut = nFin = nCar;
    } else if (nCar > 0 && DansMot(c.at(nCar - 1))) {
        nDebut = nFin = nCar - 1;
    } else {
        // Between words: the character itself.
        nDebut = nCar;
        nFin = std::min(nCar + 1, c.size());
        return c.mid(nDebut, nFin - nDebut);
    }
    while (nDebut > 0 && DansMot(c.at(nDebut - 1)))
        --nDebut;
    while (nFin < c.size() && DansMot(c.at(nFin)))
        ++nFin;
    return c.mid(nDebut, nFin - nDebut);
}

// ---- Input -----------------------------------------------------------------------------------

void TVueParagraphes::DefileSelonSouris(QPoint Point)
{
    QScrollBar *b = verticalScrollBar();
    if (Point.y() < 0)
        b->setValue(b->value() - b->singleStep());
    else if (Point.y() >= viewport()->height())
        b->setValue(b->value() + b->singleStep());
}

void TVueParagraphes::mousePressEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Evenement);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const TPositionParagraphe p = PositionEn(Evenement->position().toPoint());
    if (Evenement->modifiers() & Qt::ShiftModifier)
        m_Curseur = p;
    else
        m_Ancre = m_Curseur = p;
    m_lGlisse = true;
    viewport()->update();
}

void TVueParagraphes::mouseMoveEvent(QMouseEvent *Evenement)
{
    if (!m_lGlisse || !(Evenement->buttons() & Qt::LeftButton))
        return;
    m_PointGlisse = Evenement->position().toPoint();
    DefileSelonSouris(m_PointGlisse);
    m_Curseur = PositionEn(m_PointGlisse);
    if (m_PointGlisse.y() < 0 || m_PointGlisse.y() >= viewport()->height())
        m_Defilement.start(50, this);
    else
        m_Defilement.stop();
    viewport()->update();
}

void TVueParagraphes::timerEvent(QTimerEvent *Evenement)
{
    if (Evenement->timerId() != m_Defilement.timerId()) {
        QAbstractScrollArea::timerEvent(Evenement);
        return;
    }
    if (!m_lGlisse) {
        m_Defilement.stop();
        return;
    }
    DefileSelonSouris(m_PointGlisse);
    m_Curseur = PositionEn(m_PointGlisse);
    viewport()->update();
}

void TVueParagraphes::mouseReleaseEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() == Qt::LeftButton && m_lGlisse) {
        m_lGlisse = false;
        m_Defilement.stop();
        CopieDansSelectionX11();
    }
}

void TVueParagraphes::mouseDoubleClickEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() != Qt::LeftButton || m_Paragraphes.isEmpty())
        return;
    const TPositionParagraphe p = PositionEn(Evenement->position().toPoint());
    qsizetype nDebut = 0, nFin = 0;
    MotAutour(p.nParagraphe, p.nCar, nDebut, nFin);
    m_Ancre = {p.nParagraphe, nDebut};
    m_Curseur = {p.nParagraphe, nFin};
    m_lGlisse = false;
    CopieDansSelectionX11();
    viewport()->update();
}

void TVueParagraphes::keyPressEvent(QKeyEvent *Evenement)
{
    if (Evenement == QKeySequence::Copy) {
        Copier();
        return;
    }
    if (Evenement == QKeySequence::SelectAll) {
        SelectionneTout();
        return;
    }
    if (Evenement == QKeySequence::MoveToStartOfDocument || Evenement->key() == Qt::Key_Home) {
        AllerAuDebut();
        return;
    }
    if (Evenement == QKeySequence::MoveToEndOfDocument || Evenement->key() == Qt::Key_End) {
        AllerALaFin();
        return;
    }
    // Arrows and pages move the bar; anything else (Esc first) goes to the parent.
    QAbstractScrollArea::keyPressEvent(Evenement);
}

QMenu *TVueParagraphes::CreeMenuContextuel(QWidget *Parent)
{
    auto *Menu = new QMenu(Parent);
    QAction *Copie = Menu->addAction(QStringLiteral("Copier"), this, &TVueParagraphes::Copier);
    Copie->setShortcut(QKeySequence::Copy);
    Copie->setEnabled(ASelection());
    QAction *Tout = Menu->addAction(QStringLiteral("Tout sélectionner"), this, &TVueParagraphes::SelectionneTout);
    Tout->setShortcut(QKeySequence::SelectAll);
    Tout->setEnabled(!m_Paragraphes.isEmpty());
    return Menu;
}

void TVueParagraphes::contextMenuEvent(QContextMenuEvent *Evenement)
{
    QMenu *Menu = CreeMenuContextuel(this);
    Menu->setAttribute(Qt::WA_DeleteOnClose);
    Menu->popup(Evenement->globalPos());
}

void TVueParagraphes::focusInEvent(QFocusEvent *Evenement)
{
    QAbstractScrollArea::focusInEvent(Evenement);
    viewport()->update();
}

void TVueParagraphes::focusOutEvent(QFocusEvent *Evenement)
{
    QAbstractScrollArea::focusOutEvent(Evenement);
    viewport()->update();
}
