#pragma once
// A shared library opened when first needed (dlopen), so that the program's start-up never pays
// for it and a machine without it still runs the rest of the trainer.
#include <QByteArray>
#include <QString>

namespace voice {

class Library {
public:
    // Opens the first of the names that loads; problem() says why none did.
    explicit Library(std::initializer_list<const char*> names);
    bool loaded() const { return handle_ != nullptr; }
    const QString& problem() const { return problem_; }
    // Looks up one function (in the library or those it needs); false, with problem() set, when
    // there is none.
    template <typename F>
    bool get(const char* name, F& function) {
        function = reinterpret_cast<F>(symbol(name));
        return function != nullptr;
    }

private:
    void* symbol(const char* name);
    void* handle_ = nullptr;
    QByteArray name_;
    QString problem_;
};

} // namespace voice
