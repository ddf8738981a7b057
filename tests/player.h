// A player at the real game: the game runs in an X server of its own, the
// player's hand is X input (xdotool) and the player's eyes are screenshots.
// Every look and every action goes into a log; the log and the last
// screenshots are kept in a folder of their own for when a test fails.
#ifndef CORVANE_PLAYER_H
#define CORVANE_PLAYER_H

#include <chrono>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "game_process.h"
#include "route_planner.h"
#include "screen_reader.h"
#include "x_session.h"

class Player {
public:
    // Keeps its screenshots and log in a new folder under artifactsRoot.
    explicit Player(const std::string& artifactsRoot);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Starts the game in a fresh working folder holding only the bitmaps;
    // answers what went wrong, or "" once its window is up.
    std::string startGame();

    // Takes a screenshot and keeps it, numbered, among the recent ones.
    Picture look();
    // Keeps the last screenshot for good, and notes why.
    void keepLastLook(const std::string& why);

    // Presses on the first point, moves through the others at a person's
    // pace and releases on the last one; answers whether xdotool did it.
    bool drag(const Route& route);
    bool pressKey(const std::string& keyName);
    void pause(int ms);

    void note(const std::string& text);

    // The game's exit status, -1 while it still runs after timeoutMs.
    int waitForExit(int timeoutMs);
    std::string gameErrors() const;
    bool hasHighscoreFile() const;
    std::string highscoreFile() const;

    double secondsPlayed() const;
    const std::string& artifactsFolder() const { return artifacts; }
    // Removes the screenshots and the log: nothing went wrong.
    void discardArtifacts();

private:
    std::string shotFile(int number) const;
    void forgetOldLooks();

    XServer x;
    WorkFolder workDir;
    std::string artifacts;
    std::unique_ptr<ChildProcess> game;
    std::ofstream log;
    int numShots = 0;
    std::set<int> keptShots;
    std::chrono::steady_clock::time_point startTime;
};

#endif
