"""tools/release.sh on a copy of these sources whose built-in release key is the tests' own, with
the tests' Authenticode certificate; then a second build of another copy, in another folder, a
minute later and in another time zone. The release folder is checked without the script's own
checks, and both builds must give the same bytes."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.environ.get("CORVANE_ROOT",
                      os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.path.join(ROOT, "build", "windows", "tests", "installer")
UPDATE_KEY = os.environ.get("CORVANE_TEST_KEY", os.path.join(BUILD, "installer-test-key.pem"))
UPDATE_KEY_HEADER = os.environ.get("CORVANE_TEST_KEY_HEADER",
                                   os.path.join(BUILD, "test_release_key.h"))
CERT = os.environ.get("CORVANE_TEST_CERT", os.path.join(BUILD, "authenticode-test-cert.pem"))
CERT_KEY = os.environ.get("CORVANE_TEST_CERT_KEY", os.path.join(BUILD, "authenticode-test-key.pem"))
SIGNER = os.path.join(ROOT, "tests", "update", "sign_setup.py")
EPOCH = "1765000000"
SITE = "update.corvane-meter.net/files"

sys.path.insert(0, os.path.dirname(SIGNER))
import sign_setup  # noqa: E402


# The version the build made from CMakeLists.txt, given by ctest.
VERSION = os.environ["CORVANE_VERSION"]
BUILD_NUMBER = os.environ["CORVANE_BUILD_NUMBER"]
SETUP_NAME = f"corvane-setup-{VERSION}.exe"
ZIP_NAME = f"corvane-{VERSION}-portable.zip"


def copy_sources(target):
    """The sources without build folders, trusting the tests' update key instead of the release
    key (whose private half the tests do not have)."""
    shutil.copytree(ROOT, target, ignore=shutil.ignore_patterns("build", ".git", "__pycache__"))
    point = sign_setup.public_point(UPDATE_KEY)
    with open(os.path.join(target, "src", "update", "release_key.cpp"), "w") as f:
        f.write('#include "update/setup_signature.h"\n\nconst TSetupPublicKey kReleasePublicKey = '
                "{{\n    %s}};\n" % sign_setup.c_bytes(point))
    return target


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def run(args, env, timeout=1200):
    return subprocess.run(args, env=env, capture_output=True, timeout=timeout)


class ReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="corvane-release-")
        env = dict(os.environ, SOURCE_DATE_EPOCH=EPOCH)
        for name in ("CORVANE_SIGN_CERT", "CORVANE_SIGN_KEY", "CORVANE_SIGN_PASS_FILE",
                     "CORVANE_TIMESTAMP_URL"):
            env.pop(name, None)
        cls.first = copy_sources(os.path.join(cls.work, "a"))
        cls.out = os.path.join(cls.work, "out")
        cls.release = run([os.path.join(cls.first, "tools", "release.sh"), "--update-key",
                           UPDATE_KEY, "--out", cls.out, "--cert", CERT, "--key", CERT_KEY], env)

        cls.second = copy_sources(os.path.join(cls.work, "elsewhere", "corvane-source"))
        cls.second_build = os.path.join(cls.work, "elsewhere", "build")
        env["TZ"] = "Asia/Kolkata"
        configure = run(["cmake", "-S", cls.second, "-B", cls.second_build, "--toolchain",
                         os.path.join(cls.second, "cmake", "mingw-w64-x86_64.cmake"),
                         "-DCMAKE_BUILD_TYPE=Release", "-DCORVANE_TESTS=OFF",
                         "-DCORVANE_SIGN_CERT=" + CERT, "-DCORVANE_SIGN_KEY=" + CERT_KEY], env)
        cls.second_result = configure if configure.returncode else run(
            ["cmake", "--build", cls.second_build, "-j2", "--target", "installer", "portable"], env)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.assertEqual(self.release.returncode, 0, self.release.stderr.decode("latin-1"))

    def path(self, *names):
        return os.path.join(self.out, *names)

    def test_release_folder_holds_the_packages_with_matching_sums(self):
        files = sorted(os.path.relpath(os.path.join(d, f), self.out)
                       for d, _, names in os.walk(self.out) for f in names)
        winget = ["winget/Corvane.Corvane.installer.yaml", "winget/Corvane.Corvane.locale.en-US.yaml",
                  "winget/Corvane.Corvane.yaml"]
        self.assertEqual(files, sorted(["SHA256SUMS", SETUP_NAME, ZIP_NAME, "wendrel.udf"] + winget))
        with open(self.path("SHA256SUMS")) as f:
            sums = dict(reversed(line.split("  ", 1)) for line in f.read().splitlines())
        self.assertEqual(sums, {name: sha256(self.path(name)) for name in files
                                if name != "SHA256SUMS"})

        program = os.path.join(self.work, "corvane.exe")
        with zipfile.ZipFile(self.path(ZIP_NAME)) as archive:
            self.assertEqual(archive.namelist(), ["corvane.exe", "readme.txt"])
            with open(program, "wb") as f:
                f.write(archive.read("corvane.exe"))
        for path in (self.path(SETUP_NAME), program):
            result = subprocess.run(["osslsigncode", "verify", "-CAfile", CERT, "-in", path],
                                    capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 0, result.stdout.decode("latin-1"))

    def test_descriptor_names_this_build_and_verifies_with_the_tests_key(self):
        with open(self.path("wendrel.udf"), "rb") as f:
            text = f.read().decode()
        self.assertTrue(text.startswith("[build]\r\n"), text)
        values = dict(line.split("=", 1) for line in text.splitlines()[1:])
        self.assertEqual(values["version"], BUILD_NUMBER)
        self.assertEqual(values["path"], f"{SITE}/{SETUP_NAME}")

        def verify(version):
            return subprocess.run(
                [sys.executable, SIGNER, "verify", "--trusted", UPDATE_KEY_HEADER, "--version",
                 str(version), "--signature", values["signature"], self.path(SETUP_NAME)],
                capture_output=True, timeout=60).returncode
        self.assertEqual(verify(BUILD_NUMBER), 0)
        self.assertNotEqual(verify(int(BUILD_NUMBER) + 1), 0)

    def test_winget_manifest_describes_the_setup_program(self):
        with open(self.path("winget", "Corvane.Corvane.installer.yaml")) as f:
            manifest = f.read()
        for line in ("InstallerType: nullsoft", "Scope: user", "  Silent: /S",
                     f"  InstallerUrl: https://{SITE}/{SETUP_NAME}",
                     "  InstallerSha256: " + sha256(self.path(SETUP_NAME)).upper(),
                     f"PackageVersion: {VERSION}"):
            self.assertIn(line + "\n", manifest)

    def test_a_second_build_elsewhere_gives_the_same_bytes(self):
        self.assertEqual(self.second_result.returncode, 0,
                         self.second_result.stderr.decode("latin-1"))
        first_build = os.path.join(self.first, "build", "release")
        # The executable links to its debug file by checksum: both must match.
        program = os.path.join("src", "app", "corvane.exe")
        for name in (program, program + ".debug", SETUP_NAME, ZIP_NAME):
            with self.subTest(name=name):
                self.assertEqual(sha256(os.path.join(first_build, name)),
                                 sha256(os.path.join(self.second_build, name)))

    def test_the_program_stays_within_400_kb(self):
        program = os.path.join(self.first, "build", "release", "src", "app", "corvane.exe")
        self.assertLessEqual(os.path.getsize(program), 400 * 1024)

    def test_a_key_that_is_not_the_built_in_one_is_refused_before_building(self):
        other = os.path.join(self.work, "other-key.pem")
        subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out",
                        other], check=True, capture_output=True, timeout=60)
        out = os.path.join(self.work, "refused")
        result = run([os.path.join(self.second, "tools", "release.sh"), "--update-key", other,
                      "--out", out], dict(os.environ, SOURCE_DATE_EPOCH=EPOCH), timeout=60)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(b"is not the release key built into Corvane", result.stderr)
        self.assertFalse(os.path.exists(out))


if __name__ == "__main__":
    unittest.main()
