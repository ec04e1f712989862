#include "support/scpi_session.h"

#include "scpi/message_run.h"
#include "support/sealed.h"

MessageResult CScpiSession::Run(const QByteArray& message, BoardOutcome outcome)
{
    MessageResult result;
    CMessageRun run(message, state, errors);
    while (const std::optional<BoardRequest> request = run.Next()) {
        result.frames.append(Sealed(request->compose(0)));
        result.kinds.append(request->kind);
        run.Answered(outcome);
    }
    result.strResponse = run.Response();
    return result;
}

QList<int> CScpiSession::TakeErrorCodes()
{
    QList<int> codes;
    while (!errors.IsEmpty())
        codes.append(errors.TakeNext().section(QLatin1Char(','), 0, 0).toInt());
    return codes;
}
