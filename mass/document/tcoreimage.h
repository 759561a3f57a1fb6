// The core library's byte images of the analysis objects (the composition
// calculator, the molecule matcher) as the states store them: a QByteArray
// of getSerializedSize() bytes that serialize wrote into zero-filled
// memory, and back through deserialize with the array's size.
#pragma once

#include <QByteArray>

#include <cstddef>

template <class Serializable>
QByteArray coreImageBytes(const Serializable& object)
{
    QByteArray image(static_cast<int>(object.getSerializedSize()), '\0');
    object.serialize(reinterpret_cast<unsigned char*>(image.data()), static_cast<size_t>(image.size()));
    return image;
}

// The object keeps its state when it refuses the bytes.
template <class Serializable>
bool coreImageRead(Serializable& object, const QByteArray& image)
{
    return object.deserialize(reinterpret_cast<const unsigned char*>(image.constData()),
                              static_cast<size_t>(image.size()));
}
