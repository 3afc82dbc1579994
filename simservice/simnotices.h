#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

// The service's notice board, which every keep-alive gets back whoever sends it: each notice has
// an id (rising over the service's life, also across a clearing), a kind that tells the client
// whom it is for, a time stamp and a text whose first character the client sets apart from the
// rest.
class SimNotices {
public:
    struct Notice {
        qint64 id = 0;
        int kind = 0;
        QString stamp;
        QString text;
    };

    // The board a service starts with: a member notice, a holiday notice and a welcome.
    explicit SimNotices(const QDateTime& now);

    // Puts a notice on the board and returns its id.
    qint64 add(int kind, const QString& text, const QDateTime& when);
    // Empties the board; the ids go on rising.
    void clear();
    [[nodiscard]] const std::vector<Notice>& board() const { return board_; }

    // The keep-alive answer: "id|kind|stamp|text||" per notice, oldest first, the text in the
    // transport code; "" for an empty board.
    [[nodiscard]] QString answer(const std::function<QString(const QString&)>& encode) const;

private:
    std::vector<Notice> board_;
    qint64 lastId_ = 100;
};
