#include "wizard/FinishLines.h"

namespace wizard {

int FinishLine(split::Step step) {
    using split::Step;
    switch (step) {
    case Step::AlreadyRunning:
        return 100;
    case Step::Open:
        return 116;
    case Step::ReadField:
        return 118;
    case Step::FieldType:
        return 120;
    case Step::RecordCount:
        return 122;
    case Step::ReadValue:
        return 128;
    case Step::NextRecord:
        return 130;
    case Step::CloseRead:
        return 140;
    case Step::Refusal:
        return 186;
    case Step::EmptyColumn: // in place of the drop
    case Step::DropColumn:
        return 192;
    case Step::AddColumn:
        return 194;
    case Step::Update:
        return 240;
    case Step::Checkpoint:
        return 248;
    case Step::FinalRead:
        return 252;
    }
    return 100;
}

} // namespace wizard
