// A shared library without the component entry points.
extern "C" int ksActivationNoEntry()
{
    return 1;
}
