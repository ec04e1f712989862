#pragma once

#include <QList>
#include <QObject>

class CVirtualBoard;

enum class Answer { Ack, Refuse, Silent };

QList<Answer> Times(int nCount, Answer answer);

// Makes the board answer the frames it receives as a session scripts it.
class CScriptedAnswers : public QObject {
    Q_OBJECT

public:
    explicit CScriptedAnswers(CVirtualBoard& board);

    // The board answers the next frames so, then acknowledges.
    void AnswerNext(const QList<Answer>& answers);

private:
    void ApplyNextAnswer();

    CVirtualBoard& m_board;
    QList<Answer> m_answers;
};
