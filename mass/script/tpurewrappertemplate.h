// TPureWrapperTemplate: a QObject that holds a pointer to the object it
// shows to scripts. The pointer is never owned. Subclasses that can learn
// whether the object still lives override the three operations, so that a
// deleted object reads as a missing one (wrappedObject is what the
// conversion out of a script value reads).
#pragma once

#include <QObject>

template <class T>
class TPureWrapperTemplate : public QObject {
public:
    explicit TPureWrapperTemplate(T* object, QObject* parent = nullptr) : QObject(parent), m_object(object) {}

    virtual T* object() const { return m_object; }
    virtual T* wrappedObject() const { return m_object; }
    virtual bool isValid() const { return m_object != nullptr; }

protected:
    // The pointer as it was given, alive or not.
    T* heldObject() const { return m_object; }

private:
    T* m_object;
};
