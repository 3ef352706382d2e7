#pragma once
// The exception classes of the class library. Every failure the program reports
// is one of these, carrying the message that a message box shows.
#include <stdexcept>
#include <string>
#include <utility>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

#define TARVOLD_EXCEPTION(Name, Base) \
    class Name : public Base { \
    public: \
        using Base::Base; \
    }

TARVOLD_EXCEPTION(EConvertError, Exception);
TARVOLD_EXCEPTION(EListError, Exception);
TARVOLD_EXCEPTION(EInOutError, Exception);
// A stream's failure; ErrorCode is the system's error number (errno) when the
// system refused, else 0.
class EStreamError : public Exception {
public:
    explicit EStreamError(const std::string &message, int errorCode = 0) : Exception(message), errorCode_(errorCode) {}
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};
TARVOLD_EXCEPTION(EReadError, EStreamError);
TARVOLD_EXCEPTION(EWriteError, EStreamError);
TARVOLD_EXCEPTION(EFOpenError, EStreamError);
TARVOLD_EXCEPTION(EFCreateError, EStreamError);
// A save that wrote over the file itself and failed: the file's old bytes are
// kept in the file KeptCopy() names.
class EFWriteInPlaceError : public EFCreateError {
public:
    EFWriteInPlaceError(const std::string &message, int errorCode, std::string keptCopy)
        : EFCreateError(message, errorCode), keptCopy_(std::move(keptCopy))
    {
    }
    const std::string &KeptCopy() const { return keptCopy_; }

private:
    std::string keptCopy_;
};
// A save over the file itself refused before the file was touched: its old
// contents could not be kept in the folder Folder() names.
class EFKeepOldContentsError : public EFCreateError {
public:
    EFKeepOldContentsError(const std::string &message, int errorCode, std::string folder)
        : EFCreateError(message, errorCode), folder_(std::move(folder))
    {
    }
    const std::string &Folder() const { return folder_; }

private:
    std::string folder_;
};
TARVOLD_EXCEPTION(EIniFileException, Exception);
TARVOLD_EXCEPTION(ERegistryException, Exception);
TARVOLD_EXCEPTION(EInvalidOperation, Exception);
TARVOLD_EXCEPTION(EOutOfResources, Exception);
// The silent exception: what the person cancelled is no failure, so the
// application's handler shows nothing for it.
TARVOLD_EXCEPTION(EAbort, Exception);

#undef TARVOLD_EXCEPTION
