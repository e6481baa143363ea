#include "ui/info_window.h"

#include "farm/farm.h"
#include "ui/look.h"
#include "ui/splash.h"
#include "views/scene_info.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A value that may be longer than the window is cut in the middle, so both the start of a path
// and the file name stay readable; the whole text is in the tool tip. Values made of many parts
// (times, restrictions) wrap instead.
class TInfoValue : public QLabel
{
public:
    TInfoValue(bool wrap, QWidget* parent)
        : QLabel(parent)
    {
        setMinimumWidth(60);
        setTextFormat(Qt::PlainText);
        if (wrap)
            setWordWrap(true);
        else
            setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    void SetText(const QString& text)
    {
        setText(text);
        setToolTip(text);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (wordWrap()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
        painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

const QStringList WrappedValues { QStringLiteral("Render time"), QStringLiteral("Restrictions") };

} // namespace

// The idle measure's two bars in a frame of the panel's width less 9 pixels: above, how busy
// the last second was against the best; below, how busy a second may be and still count as idle.
class TIdleBars : public QWidget
{
public:
    explicit TIdleBars(QWidget* parent)
        : QWidget(parent)
    {
        setFixedHeight(14);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void SetFigures(const TIdleFigures& figures)
    {
        FFigures = figures;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int frame = qMax(0, width() - 9);
        painter.fillRect(0, 1, frame, 12, LookHalf());
        painter.fillRect(0, 2, ActivityBarWidth(FFigures, frame), 5, LookAlert());
        painter.fillRect(0, 7, ThresholdBarWidth(FFigures, frame), 5, LookBase());
    }

private:
    TIdleFigures FFigures;
};

TFormInfo::TFormInfo(QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , FPages(new QTabWidget(this))
    , FWarningCaption(new QLabel(QStringLiteral("Warning"), this))
    , FWarning(new QLabel(this))
    , FIdleBars(new TIdleBars(this))
{
    setWindowTitle(QStringLiteral("Info"));
    setWindowIcon(KestrionIcon());

    QWidget* general = AddPage(QStringLiteral("General"),
        { QStringLiteral("Scenes to render"), QStringLiteral("Frames to render"),
            QStringLiteral("Content Directory"), QStringLiteral("Total processors"),
            QStringLiteral("Idle Time") });
    qobject_cast<QFormLayout*>(general->layout())->addRow(QString(), FIdleBars);
    AddPage(QStringLiteral("Scene"),
        { QStringLiteral("Kestrion filename"), QStringLiteral("Added at"), QStringLiteral("By"),
            QStringLiteral("Render time") });
    AddPage(QStringLiteral("Render"),
        { QStringLiteral("Output color"), QStringLiteral("Output alpha"), QStringLiteral("Mode") });
    AddPage(QStringLiteral("Camera"),
        { QStringLiteral("Size"), QStringLiteral("Anti-aliasing"), QStringLiteral("Options") });
    AddPage(QStringLiteral("Options"),
        { QStringLiteral("Platform"), QStringLiteral("Restrictions"), QStringLiteral("Verified") });
    AddPage(QStringLiteral("Data"),
        { QStringLiteral("Render start"), QStringLiteral("Screamer start"),
            QStringLiteral("Last render time"), QStringLiteral("Average time") });

    FWarningCaption->setObjectName(QStringLiteral("Warning"));
    QFont bold = FWarningCaption->font();
    bold.setBold(true);
    FWarningCaption->setFont(bold);
    FWarning->setWordWrap(true);
    FWarning->setTextFormat(Qt::PlainText);
    // The line keeps its height whether or not a warning shows, so the pages do not jump.
    FWarning->setMinimumHeight(FWarning->fontMetrics().height());
    auto* warningLine = new QHBoxLayout;
    warningLine->addWidget(FWarningCaption, 0, Qt::AlignTop);
    warningLine->addWidget(FWarning, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(FPages);
    layout->addLayout(warningLine);
    // Wide enough for the output paths of a farm's content directory.
    resize(640, 220);

    connect(FPages, &QTabWidget::currentChanged, this, &TFormInfo::PageChanged);
    connect(&FBlinkTimer, &QTimer::timeout, this, &TFormInfo::Blink);
    FBlinkTimer.start(500);
    SelectView(TView::Scenes);
    SetWarning(QString());
    ApplyLook(this);
}

QWidget* TFormInfo::AddPage(const QString& caption, const QStringList& labels)
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setHorizontalSpacing(14);
    for (const QString& label : labels) {
        auto* value = new TInfoValue(WrappedValues.contains(label), page);
        value->setObjectName(label);
        form->addRow(label, value);
        FValues.insert(label, value);
    }
    FPages->addTab(page, caption);
    return page;
}

void TFormInfo::SetValue(const QString& label, const QString& text)
{
    if (auto* value = static_cast<TInfoValue*>(FValues.value(label)))
        value->SetText(text);
}

QString TFormInfo::Value(const QString& label) const
{
    const QLabel* value = FValues.value(label);
    return value ? value->text() : QString();
}

QString TFormInfo::WarningText() const
{
    return FWarning->text();
}

void TFormInfo::SetWarning(const QString& text)
{
    FWarning->setText(text);
    // A caption with nothing after it reads as a warning about nothing.
    FWarningCaption->setVisible(!text.isEmpty());
}

void TFormInfo::SelectView(TView view)
{
    FSwitching = true;
    FView = view;
    for (int page = PageScene; page <= PageData; ++page) {
        const bool scenePage = page != PageData;
        FPages->setTabVisible(
            page, (view == TView::Scenes && scenePage) || (view == TView::Computers && !scenePage));
    }
    FPages->setCurrentIndex(FRemembered[static_cast<size_t>(view)]);
    FSwitching = false;
}

TFormInfo::TPage TFormInfo::CurrentPage() const
{
    return static_cast<TPage>(FPages->currentIndex());
}

QStringList TFormInfo::VisiblePages() const
{
    QStringList captions;
    for (int page = 0; page < FPages->count(); ++page)
        if (FPages->isTabVisible(page))
            captions << FPages->tabText(page);
    return captions;
}

void TFormInfo::PageChanged(int index)
{
    if (!FSwitching && index >= 0)
        FRemembered[static_cast<size_t>(FView)] = index;
}

void TFormInfo::ShowScene(const TScene& scene, const QString& contentDirectory, const TComputerList& computers)
{
    const TSceneInfo info = SceneInfo(scene, contentDirectory, computers);
    setWindowTitle(info.Caption);
    SetValue(QStringLiteral("Kestrion filename"), info.KestrionFilename);
    SetValue(QStringLiteral("Added at"), info.AddedAt);
    SetValue(QStringLiteral("By"), info.By);
    SetValue(QStringLiteral("Render time"), info.RenderTime);
    SetValue(QStringLiteral("Output color"), info.OutputColor);
    SetValue(QStringLiteral("Output alpha"), info.OutputAlpha);
    SetValue(QStringLiteral("Mode"), info.Mode);
    SetValue(QStringLiteral("Size"), info.Size);
    SetValue(QStringLiteral("Anti-aliasing"), info.Antialiasing);
    SetValue(QStringLiteral("Options"), info.CameraOptions);
    SetValue(QStringLiteral("Platform"), info.Platform);
    SetValue(QStringLiteral("Restrictions"), info.Restrictions);
    SetValue(QStringLiteral("Verified"), info.Verified);
    SetWarning(info.Warning);
}

void TFormInfo::ShowComputer(const TComputer& computer, const QString& crashNote)
{
    const TComputerInfo info = ComputerInfo(computer, crashNote);
    setWindowTitle(info.Caption);
    SetValue(QStringLiteral("Render start"), info.RenderStart);
    SetValue(QStringLiteral("Screamer start"), info.ScreamerStart);
    SetValue(QStringLiteral("Last render time"), info.LastRenderTime);
    SetValue(QStringLiteral("Average time"), info.AverageTime);
    SetWarning(info.Warning);
}

void TFormInfo::ShowSummary(const TFarm& farm)
{
    const TSummaryInfo info = SummaryInfo(farm);
    SetValue(QStringLiteral("Scenes to render"), info.ScenesToRender);
    SetValue(QStringLiteral("Frames to render"), info.FramesToRender);
    SetValue(QStringLiteral("Content Directory"), info.ContentDirectory);
    SetValue(QStringLiteral("Total processors"), info.TotalProcessors);
}

void TFormInfo::ShowIdle(const TIdleFigures& figures)
{
    SetValue(QStringLiteral("Idle Time"), QString::number(figures.IdleSeconds));
    FIdleBars->SetFigures(figures);
}

void TFormInfo::Blink()
{
    FBlinkDark = !FBlinkDark;
    QPalette palette = FWarning->palette();
    palette.setColor(QPalette::WindowText, FBlinkDark ? QColor(Qt::black) : LookBase());
    FWarning->setPalette(palette);
}

void TFormInfo::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    // Only the user's own close button switches the window off; the program's closing does not.
    if (event->isAccepted() && event->spontaneous())
        Q_EMIT Closed();
}
