#pragma once
// The stand-in render node: follows its job file and reports in its ack file, at whatever pace
// the Master keeps.

#include "job_file.h"
#include "node_settings.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

class TScene;

class TNode : public QObject
{
public:
    explicit TNode(const TNodeSettings& settings);
    ~TNode() override;

    void Start();

private:
    void Poll();
    // Acts on a new job; while a piece renders only "quit" is taken, the rest waits for its end.
    void CheckJob();
    void Act(const TJob& job);
    void LoadScene(const QString& path);
    void StartRender(const QString& frames);
    void FinishFrame();
    void FinishRender();
    void WriteFrames(qint64 frame);
    // Dies or hangs once the frames asked for are rendered; true when the node stopped.
    bool ReachedLimit();
    void Quit();

    void Post(const QString& state);
    void PostReady();
    QString LatestAck() const;
    // Writes the next pending acknowledgement once the Master has taken the last one.
    void FlushAck();
    bool WriteAck(const QString& state);

    TNodeSettings settings_;
    QTimer pollTimer_;
    QTimer frameTimer_;
    bool stopped_ = false;
    TJobFile lastJob_;
    QString contentDirectory_;
    std::unique_ptr<TScene> scene_;
    bool rendering_ = false;
    qint64 frame_ = 0;
    qint64 last_ = 0;
    qint64 step_ = 1;
    qint64 framesRendered_ = 0;
    QString writtenAck_;
    QStringList pendingAcks_;
};
