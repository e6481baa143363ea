#include "node.h"

#include "frame_writer.h"
#include "model/frame_steps.h"
#include "model/node_channel.h"
#include "model/scene.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace {

void Say(const QString& text)
{
    std::fprintf(stderr, "kestrion-node: %s\n", qPrintable(text));
}

bool IsRendering(const QString& state)
{
    return state.contains(AckRendering);
}

// A state the Master has not seen yet may give way to a newer one, except that it must see a
// render begin before it sees it end, and never miss that it ended.
bool Replaceable(const QString& pending, const QString& newer)
{
    if (IsRendering(pending))
        return IsRendering(newer);
    return pending != AckReady;
}

bool IsAbsent(const QString& prefix)
{
    return prefix.isEmpty() || prefix == QStringLiteral("(none)");
}

// "first last step"; false for anything else.
bool ReadPiece(const QString& text, qint64& first, qint64& last, qint64& step)
{
    const QStringList numbers = text.split(u' ', Qt::SkipEmptyParts);
    int values[3] = { 0, 0, 0 };
    if (numbers.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        if (!TextToInteger(numbers.at(i), values[i]))
            return false;
    first = values[0];
    last = values[1];
    step = values[2] == 0 ? 1 : values[2];
    return true;
}

} // namespace

TNode::TNode(const TNodeSettings& settings)
    : settings_(settings)
{
    pollTimer_.setInterval(settings_.PollMilliseconds);
    connect(&pollTimer_, &QTimer::timeout, this, &TNode::Poll);
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(settings_.FrameMilliseconds);
    connect(&frameTimer_, &QTimer::timeout, this, &TNode::FinishFrame);
}

TNode::~TNode() = default;

void TNode::Start()
{
    pollTimer_.start();
    // The first look inside the event loop, so that a waiting "quit" can end it.
    QTimer::singleShot(0, this, &TNode::Poll);
}

void TNode::Poll()
{
    CheckJob();
    FlushAck();
}

void TNode::CheckJob()
{
    if (stopped_)
        return;
    const TJobFile file = ReadJobFile(settings_.JobPath);
    // Once the Master has deleted the job file, whatever it writes next is a new command.
    if (!file.Exists)
        lastJob_ = TJobFile();
    if (!file.Exists || file == lastJob_)
        return;
    const TJob job = ParseJob(file.Bytes);
    lastJob_ = file;
    // While rendering the Master sends "wait", or the same "render" again when it has not yet
    // seen "Rendering": neither is work for later, and acting on a repeated render after this
    // one would render the piece twice and answer for a piece the node never got.
    if (rendering_ && job.Word != QStringLiteral("quit"))
        return;
    Act(job);
}

void TNode::Act(const TJob& job)
{
    Say(job.Argument.isEmpty() ? job.Word : job.Word + u' ' + job.Argument);
    if (job.Word == QStringLiteral("init")) {
        Post(AckInitializing);
    } else if (job.Word == QStringLiteral("wait")) {
        PostReady();
    } else if (job.Word == QStringLiteral("content")) {
        contentDirectory_ = job.Argument;
        Post(AckSettingContent);
    } else if (job.Word == QStringLiteral("load")) {
        LoadScene(job.Argument);
        Post(AckLoading);
    } else if (job.Word == QStringLiteral("render")) {
        StartRender(job.Argument);
    } else if (job.Word == QStringLiteral("quit")) {
        Quit();
    } else {
        Say(QStringLiteral("unknown command, ignored"));
    }
}

void TNode::LoadScene(const QString& path)
{
    scene_ = std::make_unique<TScene>(contentDirectory_);
    // The outputs are all a node needs; a scene whose frame range is unusable still names them.
    // A scene that cannot be read keeps no outputs, so its frames go nowhere and verification
    // finds them missing.
    if (!scene_->ReadSceneFile(path) && !QFileInfo(path).isReadable())
        Say(QStringLiteral("cannot read the scene %1; its frames will not be written").arg(path));
}

void TNode::StartRender(const QString& frames)
{
    if (!ReadPiece(frames, frame_, last_, step_)) {
        // Nothing to render; the Master gets its node back and verification the missing frames.
        Say(QStringLiteral("no piece of frames in \"%1\"").arg(frames));
        Post(AckRendering);
        PostReady();
        return;
    }
    if (!scene_)
        Say(QStringLiteral("no scene loaded; frames will not be written"));
    else
        scene_->Settings.ContentDirectory = contentDirectory_;
    if (ReachedLimit())
        return;
    rendering_ = true;
    Post(AckRendering + QStringLiteral(" frame ") + QString::number(frame_));
    if (FrameAfter(frame_, last_, step_))
        FinishRender();
    else
        frameTimer_.start();
}

void TNode::FinishFrame()
{
    if (stopped_)
        return;
    WriteFrames(frame_);
    ++framesRendered_;
    if (ReachedLimit())
        return;
    // Between frames a "quit" ends the render.
    CheckJob();
    if (stopped_)
        return;
    frame_ += step_;
    if (FrameAfter(frame_, last_, step_)) {
        FinishRender();
    } else {
        Post(AckRendering + QStringLiteral(" frame ") + QString::number(frame_));
        frameTimer_.start();
    }
    FlushAck();
}

void TNode::FinishRender()
{
    rendering_ = false;
    PostReady();
    // A job that came during the render is taken now.
    CheckJob();
}

void TNode::WriteFrames(qint64 frame)
{
    if (!scene_)
        return;
    for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha }) {
        const TSceneData& data = scene_->Data;
        if (IsAbsent(kind == TFrameKind::RGB ? data.SaveRGBImagesPrefix : data.SaveAlphaImagesPrefix))
            continue;
        const QString path = scene_->FrameFileName(frame, kind, contentDirectory_);
        QString error;
        if (!WriteFrameImage(path, frame, kind, error))
            Say(QStringLiteral("cannot write %1: %2").arg(path, error));
    }
}

bool TNode::ReachedLimit()
{
    if (settings_.CrashAfter >= 0 && framesRendered_ >= settings_.CrashAfter) {
        Say(QStringLiteral("crashing after %1 frames, as asked").arg(framesRendered_));
        std::_Exit(EXIT_FAILURE);
    }
    if (settings_.HangAfter >= 0 && framesRendered_ >= settings_.HangAfter) {
        Say(QStringLiteral("hanging after %1 frames, as asked").arg(framesRendered_));
        stopped_ = true;
        pollTimer_.stop();
        frameTimer_.stop();
        return true;
    }
    return false;
}

void TNode::Quit()
{
    // The last word goes out at once, over whatever the Master has not taken yet.
    stopped_ = true;
    pollTimer_.stop();
    frameTimer_.stop();
    pendingAcks_.clear();
    WriteAck(AckOffline);
    QCoreApplication::exit(0);
}

void TNode::Post(const QString& state)
{
    if (!pendingAcks_.isEmpty() && Replaceable(pendingAcks_.last(), state))
        pendingAcks_.last() = state;
    else
        pendingAcks_.append(state);
}

void TNode::PostReady()
{
    if (LatestAck() != AckReady)
        Post(AckReady);
}

QString TNode::LatestAck() const
{
    return pendingAcks_.isEmpty() ? writtenAck_ : pendingAcks_.last();
}

void TNode::FlushAck()
{
    if (stopped_ || pendingAcks_.isEmpty() || QFileInfo::exists(settings_.AckPath))
        return;
    if (WriteAck(pendingAcks_.first()))
        pendingAcks_.removeFirst();
}

bool TNode::WriteAck(const QString& state)
{
    QString error;
    if (!WriteTextLines(settings_.AckPath, { state, settings_.Platform }, TTextEncoding::Utf8, &error)) {
        Say(QStringLiteral("cannot write the ack file: %1").arg(error));
        return false;
    }
    writtenAck_ = state;
    return true;
}
