"""What a wrapper made from the stub must carry: the package, byte for byte, and its up-to-date
version, each in the resource the wrapper reads at run time."""
import project  # noqa: F401  (puts the harness on the path)
import pe
import trials

PACKAGE_RESOURCE = ("MSP", "IDR_MSP")
VERSION_RESOURCE = ("MSPVERSION", "IDR_MSPVERSION")


def check(wrapper, package, version):
    """Stops the bench unless `wrapper` carries `package` and `version`, and each only once."""
    resources = pe.read(wrapper).resources

    def carried(kind_and_name):
        return [data for key, data in resources.items() if key[:2] == kind_and_name]
    trials.expect(carried(PACKAGE_RESOURCE) == [package.read_bytes()], f"{wrapper} does not carry {package}")
    trials.expect(carried(VERSION_RESOURCE) == [version.encode("utf-16-le")],
                  f"{wrapper} does not carry the version {version}")
