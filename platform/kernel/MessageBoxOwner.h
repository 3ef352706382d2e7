#pragma once
// The form a message box belongs to while it is shown.

class TCustomForm;

// Message boxes shown while one lives belong to the form: they open over it,
// above it also when it stays on top, and it waits for them. Scopes nest.
class TMessageBoxOwner {
public:
    explicit TMessageBoxOwner(TCustomForm &form);
    ~TMessageBoxOwner();
    TMessageBoxOwner(const TMessageBoxOwner &) = delete;
    TMessageBoxOwner &operator=(const TMessageBoxOwner &) = delete;

private:
    TCustomForm *previous_;
};

// The form a message box shown now belongs to: the innermost owner's, else
// the program's active form (none when no window of the program is active).
TCustomForm *MessageBoxOwner();
