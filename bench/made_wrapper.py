"""What a wrapper made from the stub must carry: the package, byte for byte, and its up-to-date
version, each in the resource the wrapper reads at run time; or, for a set, its packages."""
import project  # noqa: F401  (puts the harness on the path)
import pe
import trials

PACKAGE_RESOURCE = ("MSP", "IDR_MSP")
VERSION_RESOURCE = ("MSPVERSION", "IDR_MSPVERSION")


def _carried(resources, kind_and_name):
    return [data for key, data in resources.items() if key[:2] == kind_and_name]


def check(wrapper, package, version):
    """Stops the bench unless `wrapper` carries `package` and `version`, and each only once."""
    resources = pe.read(wrapper).resources
    trials.expect(_carried(resources, PACKAGE_RESOURCE) == [package.read_bytes()], f"{wrapper} does not carry {package}")
    trials.expect(_carried(resources, VERSION_RESOURCE) == [version.encode("utf-16-le")],
                  f"{wrapper} does not carry the version {version}")


def check_set(wrapper, packages):
    """Stops the bench unless `wrapper` carries each of `packages` once, in their order, where a
    set's packages live."""
    resources = pe.read(wrapper).resources
    for index, package in enumerate(packages, 1):
        trials.expect(_carried(resources, (PACKAGE_RESOURCE[0], f"{PACKAGE_RESOURCE[1]}{index}")) == [package.read_bytes()],
                      f"{wrapper} does not carry {package} as package {index}")
