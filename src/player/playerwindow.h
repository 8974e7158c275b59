#pragma once
// The window that plays a plan: one picture at a time on the background colour, with its caption
// and file name, stepped by the clock or by the keys, with the shows' music.
#include "playplan.h"
#include "sdk/effectpaint.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <future>
#include <optional>

class QAudioOutput;
class QMediaPlayer;

namespace player {

class PlayerWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlayerWindow(Plan plan, QWidget* parent = nullptr);
    ~PlayerWindow() override;

    void start();
    int showIndex() const { return show_; }
    int pictureIndex() const { return picture_; }
    bool atEnd() const { return ended_; }
    // True while the current picture is still coming in with its transition.
    bool inTransition() const { return effectTimer_.isActive(); }
    // One step forward or back (the arrow keys, the clock).
    void step(int direction);
    // Milliseconds on the clock that times the transitions (a steady clock unless a test sets
    // one of its own); an empty one restores the steady clock.
    using Clock = std::function<qint64()>;
    void setTransitionClock(Clock clock);
    // True once the picture the clock shows next has been read and fitted to the window ahead of
    // its turn, on a worker thread.
    bool nextPictureReady() const;
    // The pictures that had to be read at their turn instead (the first one always is).
    int picturesReadAtTheirTurn() const { return readAtTurn_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Position {
        int show = 0, picture = 0;
        bool operator==(const Position&) const = default;
    };
    // Where a step in direction leads from the current picture; nothing when it ends the shows.
    std::optional<Position> positionAfter(int direction) const;
    // A picture fitted into a size, and its frame of that size: the picture on the background,
    // without the texts.
    struct Prepared {
        QImage image;
        QImage frame;
    };
    static Prepared prepare(const QString& file, QSize size, const QColor& background);
    // The picture of the position prepared for size: the one read ahead when it is that, else now.
    Prepared takePicture(Position at, QSize size);
    // The transition the picture of the position comes in with, if any.
    std::optional<Transition> transitionOf(Position at) const;
    // Starts reading the picture after the current one on a worker thread.
    void readAhead(QSize size);
    void showPicture();
    // Draws the current picture with its texts, as it stands once its transition has ended.
    void render(QPainter& p);
    // The caption, the file name and the hint over the picture, those that show.
    bool hasTexts() const;
    void drawTexts(QPainter& p);
    void transitionStep();
    void startMusic();
    void playNextTrack();
    void finish();

    Plan plan_;
    int show_ = 0;
    int picture_ = 0;
    bool ended_ = false;
    bool hint_ = true;
    QImage image_;
    // The picture read ahead: its position, the size it was fitted into, and the image to come.
    struct Ahead {
        Position at{-1, -1};
        QSize size;
        std::future<Prepared> image;
    } ahead_;
    int readAtTurn_ = 0;
    // The timings' log (see timingLog): the turn's number, when its hold ends, a first paint to come.
    int turn_ = 0;
    double holdEnd_ = 0;
    bool paintPending_ = false;
    QImage lastFrame_;   // the current picture's whole frame, where the next transition starts
    QImage frame_;       // the frame shown while a transition runs
    bool frameIsLast_ = false; // frame_ shows lastFrame_ exactly (its transition ran to the end)
    QImage target_;
    sdk::PxEffectParams effect_;
    int percent_ = 100;
    int effectDelay_ = 1;      // milliseconds per percent
    Clock transitionClock_;
    qint64 effectStart_ = 0;   // the transition's start on that clock
    QTimer effectTimer_;
    QTimer clock_;
    QTimer hintTimer_;
    int track_ = -1;
    int musicShow_ = -1;
    int unplayable_ = 0; // the tracks in a row that could not be played
    QMediaPlayer* music_ = nullptr;
    QAudioOutput* audio_ = nullptr;
};

} // namespace player
