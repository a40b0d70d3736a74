"""What ships: the stub run as it is fails cleanly in every mode; a made wrapper, signed
afterwards with a throwaway certificate, verifies, extracts its package byte for byte and
patches a product; a signed stub gives a wrapper without the stub's signature, which then signs
and verifies."""
import subprocess

import pe

import demo_products as demo
import harness
import products

PASSWORD = "throwaway"
INSTALL_FAILURE = 1603
ERROR_STYLE = 0x50010
LIST_STYLE = 0x50000


def test_the_stub_fails_cleanly_in_every_mode(shared_prefix, tmp_path):
    run = shared_prefix.run(harness.STUB)
    assert run.exit_code == INSTALL_FAILURE
    [(text, caption, style)] = run.boxes
    assert (caption, style) == ("Installation Error", ERROR_STYLE)
    assert text.endswith("Error Code: 1813")  # ERROR_RESOURCE_TYPE_NOT_FOUND: it carries no version
    assert not run.called("MsiConfigureProductExW") and run.new_files == []

    target = tmp_path / "package.msp"
    assert shared_prefix.run(harness.STUB, ["/e", harness.windows_path(target)]).exit_code == INSTALL_FAILURE
    assert not target.exists()

    listed = shared_prefix.run(harness.STUB, ["/i"])
    assert listed.exit_code == INSTALL_FAILURE
    assert listed.boxes == [("", "List of Products", LIST_STYLE)]
    assert not listed.called("MsiGetSummaryInformationW")


def run(*command, cwd):
    return subprocess.run([str(c) for c in command], cwd=cwd, capture_output=True, text=True, check=True).stdout


def sign(wrapper, work):
    """The wrapper signed with a certificate made for this test, in `work`; returns (signed copy,
    certificate)."""
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=svcpack test",
        "-keyout", "key.pem", "-out", "cert.pem", cwd=work)
    run("openssl", "pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem", "-out", "cert.pfx",
        "-passout", f"pass:{PASSWORD}", cwd=work)
    signed = work / "signed.exe"
    run("osslsigncode", "sign", "-pkcs12", "cert.pfx", "-pass", PASSWORD, "-h", "sha256",
        "-in", wrapper, "-out", signed, cwd=work)
    return signed, work / "cert.pem"


def test_a_signed_wrapper_verifies_extracts_and_patches(prefix, tmp_path, package_bytes):
    signed, certificate = sign(harness.WRAPPER, tmp_path)
    assert signed.read_bytes() != harness.WRAPPER.read_bytes()
    verified = run("osslsigncode", "verify", "-CAfile", certificate, "-in", signed, cwd=tmp_path)
    assert "Signature verification: ok" in verified

    extracted = tmp_path / "extracted.msp"
    assert prefix.run(signed, ["/e", harness.windows_path(extracted)]).exit_code == 0
    assert extracted.read_bytes() == package_bytes

    product = demo.PRODUCTS[0]
    products.install_product(prefix, products.build_product(
        tmp_path, product.product_code, product.name, demo.OLD_VERSION, demo.UPGRADE_CODE))
    assert prefix.run(signed, ["/q"]).exit_code == 0
    assert products.query(prefix, "info", product.product_code, "VersionString") == demo.NEW_VERSION
    assert products.query(prefix, "patchstate", demo.PATCH_CODE, product.product_code) == "1"


def test_a_signed_stub_gives_a_wrapper_without_its_signature_that_signs_cleanly(shared_prefix, tmp_path):
    (tmp_path / "stub").mkdir()
    (tmp_path / "wrapper").mkdir()
    signed_stub, _ = sign(harness.STUB, tmp_path / "stub")
    assert pe.read(signed_stub).security != (0, 0)
    wrapper = tmp_path / "made.exe"
    shared_prefix.wine([harness.MAKER, harness.windows_path(harness.DEMO_PACKAGE), harness.windows_path(wrapper),
                        "/stub", harness.windows_path(signed_stub)])
    image = pe.read(wrapper)
    assert image.security == (0, 0)
    assert image.checksum == pe.checksum(wrapper.read_bytes())
    # The stub's own bytes, not one of its signature's, end up in the wrapper.
    assert signed_stub.read_bytes()[pe.read(signed_stub).security[0]:] not in wrapper.read_bytes()
    unsigned = subprocess.run(["osslsigncode", "verify", "-in", str(wrapper)], capture_output=True, text=True)
    assert unsigned.returncode != 0 and "No signature found" in unsigned.stdout + unsigned.stderr

    signed, certificate = sign(wrapper, tmp_path / "wrapper")
    verified = run("osslsigncode", "verify", "-CAfile", certificate, "-in", signed, cwd=tmp_path)
    assert "Signature verification: ok" in verified
