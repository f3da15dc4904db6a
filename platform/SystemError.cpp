#include "platform/SystemError.h"

#include "platform/SystemErrorTable.h"

namespace {

const SystemErrorRow* RowOf(int code) {
    for (const SystemErrorRow& row : SystemErrorTable())
        if (row.code == code)
            return &row;
    return nullptr;
}

} // namespace

FileFailure SystemError::Kind() const {
    if (code == 0)
        return FileFailure::None;
    const SystemErrorRow* row = RowOf(code);
    return row ? row->kind : FileFailure::Other;
}

bool SystemError::MayClear() const {
    const SystemErrorRow* row = RowOf(code);
    return row && row->mayClear;
}

std::string SystemError::Describe() const {
    if (code == 0)
        return {};
    const SystemErrorRow* row = RowOf(code);
    const std::string text = row ? row->text : "system error";
    return call + (path.empty() ? "" : " on " + path) + ": " + text + " (" + std::to_string(code) +
           ")";
}

SystemError SystemError::Last(std::string call, std::string path) {
    const int code = LastSystemErrorCode();
    return {std::move(call), std::move(path), code != 0 ? code : GenericSystemErrorCode()};
}

SystemError SystemError::OfKind(FileFailure kind, std::string call, std::string path) {
    const bool busy = kind == FileFailure::Busy;
    for (const SystemErrorRow& row : SystemErrorTable())
        if (row.kind == kind && row.mayClear == busy)
            return {std::move(call), std::move(path), row.code};
    return {std::move(call), std::move(path), GenericSystemErrorCode()};
}
