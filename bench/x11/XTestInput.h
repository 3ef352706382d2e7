#pragma once
// Input given to the X server as a device would give it (the XTEST
// extension), on a connection of its own: the program under measure gets the
// events from the server like any other input. The X libraries are loaded
// when the input is opened, so that the benchmarks build without their
// development files.
#include <memory>
#include <string>

class TXTestInput {
public:
    TXTestInput();
    ~TXTestInput();
    TXTestInput(const TXTestInput &) = delete;
    TXTestInput &operator=(const TXTestInput &) = delete;

    // Empty when the input is open; else why it is not.
    const std::string &Failure() const { return failure_; }
    void MovePointer(int screenX, int screenY);
    // `notches` turns of the wheel (down: away from the person is up), each a
    // press and release of its button; all sent in one write when `together`,
    // else each as soon as the one before it has been sent.
    void TurnWheel(bool down, int notches, bool together);

private:
    struct TApi;
    std::unique_ptr<TApi> api_;
    void *display_ = nullptr;
    std::string failure_;
};
