// Stands for a framework library linked into a component: its public
// symbols must not leak out of the component.
__attribute__((visibility("default"))) int ks_selftest_framework_function(int x)
{
    return x * 2;
}
