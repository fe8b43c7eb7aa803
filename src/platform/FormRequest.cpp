#include "platform/FormRequest.h"

#include "platform/Translate.h"

namespace tko {

Request requestFromNumber(int number) {
    switch (number) {
        case 1:
            return Request::Insert;
        case 2:
            return Request::Change;
        case 3:
            return Request::Delete;
        case 4:
            return Request::Select;
        default:
            return Request::None;
    }
}

std::string statusWord(Request request) {
    switch (request) {
        case Request::Insert:
            return translateText("Record will be Added");
        case Request::Change:
            return translateText("Record will be Changed");
        case Request::Delete:
            return translateText("Record will be Deleted");
        case Request::Select:
        case Request::None:
            break;
    }
    return {};
}

int refusalMessage(Request request, const FormPermissions& permissions) {
    switch (request) {
        case Request::Insert:
        case Request::None:
            return permissions.insert ? 0 : 19;
        case Request::Change:
            return permissions.change ? 0 : 20;
        case Request::Delete:
            return permissions.remove ? 0 : 21;
        case Request::Select:
            return 0;
    }
    return 0;
}

int cancelMessage(Request request, CancelTrigger trigger, bool changed) {
    const bool editing = request == Request::Insert || request == Request::Change;
    (void)trigger;
    return editing && changed ? 23 : 0;
}

FormStep cancelStep(int message, Answer answer) {
    switch (message) {
        case 0:
            return FormStep::Close;
        case 23:
            return answer == Answer::Yes ? FormStep::Close : FormStep::Stay;
        case 33:
            if (answer == Answer::Yes) return FormStep::SaveThenClose;
            if (answer == Answer::No) return FormStep::Close;
            return FormStep::Stay;
        default:
            return FormStep::Stay;
    }
}

int okMessage(Request request) {
    return request == Request::Delete ? 32 : 0;
}

FormStep okStep(Request request, bool changed, Answer answer) {
    switch (request) {
        case Request::Insert:
            return FormStep::Save;
        case Request::Change:
            return changed ? FormStep::Save : FormStep::Close;
        case Request::Delete:
            return answer == Answer::Ok ? FormStep::Delete : FormStep::Stay;
        case Request::Select:
        case Request::None:
            return FormStep::Close;
    }
    return FormStep::Close;
}

int afterSaveMessage(Request request, bool offerAnother) {
    return request == Request::Insert && offerAnother ? 37 : 0;
}

FormStep afterSaveStep(int message, Answer answer) {
    return message == 37 && answer == Answer::Yes ? FormStep::PrimeNext : FormStep::Close;
}

}  // namespace tko
