// A C locale whose decimal separator is ",", as on a German desktop: a Qt
// program takes the user's locale into the C library at start, so number
// parsing and printing of the C library read and write "," there.
#pragma once

// Sets LC_NUMERIC to de_DE.UTF-8, building it from the system's locale
// sources when it is not installed. False when neither works. The scope
// restores the "C" numbers.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    bool Active() const { return active_; }

private:
    bool active_ = false;
};
