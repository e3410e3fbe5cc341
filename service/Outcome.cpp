#include "service/Outcome.h"

namespace Outcome {

TResult ResultOf(const CommandFrame::TVerdict& Verdict) {
    using CommandFrame::TFault;
    switch (Verdict.Fault) {
    case TFault::None:
        return TResult::Success;
    case TFault::NotSent:
        return TResult::Failed;
    case TFault::WriteFailed:
    case TFault::NoAnswer:
    case TFault::Overrun: // a read that fills all 256 bytes counts as no answer
        return TResult::NoAnswer;
    default:
        return TResult::CorruptAnswer;
    }
}

TResult ResultOf(const LinkFrame::TReplyVerdict& Verdict) {
    using LinkFrame::TReplyFault;
    switch (Verdict.Fault) {
    case TReplyFault::None:
        return TResult::Success;
    case TReplyFault::NotSent:
        return TResult::Failed;
    case TReplyFault::WriteFailed:
    case TReplyFault::NoReply:
        return TResult::NoAnswer;
    case TReplyFault::Nak:
    case TReplyFault::Eot:
        return TResult::Refused;
    default:
        return TResult::CorruptAnswer;
    }
}

} // namespace Outcome
