#include "support/scripted_answers.h"

#include "board/virtual_board.h"

QList<Answer> Times(int nCount, Answer answer)
{
    return QList<Answer>(nCount, answer);
}

CScriptedAnswers::CScriptedAnswers(CVirtualBoard& board)
    : m_board(board)
{
    connect(&m_board, &CVirtualBoard::FrameReceived, this, &CScriptedAnswers::ApplyNextAnswer);
}

void CScriptedAnswers::AnswerNext(const QList<Answer>& answers)
{
    m_answers = answers;
    ApplyNextAnswer();
}

void CScriptedAnswers::ApplyNextAnswer()
{
    const Answer answer = m_answers.isEmpty() ? Answer::Ack : m_answers.takeFirst();
    m_board.StaySilent(answer == Answer::Silent ? 1 : 0);
    m_board.Refuse(answer == Answer::Refuse ? 1 : 0);
}
