"""The Windows package as a user gets it: the zip unpacked into a fresh folder and run in a fresh Wine
prefix starts, opens a .pgm through its own plug-in, trims it into the JPEG its own vantle-cli.exe
makes of the same picture as PNG, and keeps its settings beside itself."""
import os
import shutil
import subprocess
import unittest
import zipfile

from harness import CMD_EXECUTE, CMD_FIT_LARGEST, GuiTest, Vantle, env, run, wait_for, windows_path

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class PackageTest(GuiTest):
    def test_the_unpacked_zip_starts_reads_a_pgm_through_its_plugin_and_trims_it(self):
        built = run(["bash", os.path.join(ROOT, "scripts", "package.sh"), "--no-build"], timeout=300, cwd=ROOT)
        archive = os.path.join(ROOT, built.stdout.strip().splitlines()[-1])
        unpacked = os.path.join(self.folder, "unpacked")
        with zipfile.ZipFile(archive) as z:
            names = z.namelist()
            z.extractall(unpacked)
        top = os.path.join(unpacked, names[0].split("/")[0])
        for name in ("Vantle.exe", "English.dll", "Deutsch.dll", "Vantle.chm", "Vantle.ini", "vantle-cli.exe",
                     "ReadMe.txt", os.path.join("Plugins", "vantle-pnm.sph"), os.path.join("Help", "index.html"),
                     os.path.join("Licences", "libjpeg-turbo-README.ijg"), os.path.join("Licences", "zlib.txt")):
            self.assertTrue(os.path.exists(os.path.join(top, name)), name)

        # A grey picture as PGM and as PNG, both from the sample photograph.
        pictures = os.path.join(self.folder, "pictures")
        os.mkdir(pictures)
        pgm = os.path.join(pictures, "grey.pgm")
        png = os.path.join(self.folder, "grey.png")
        run(["convert", self.sample_bmp, "-colorspace", "Gray", "-depth", "8", pgm])
        run(["convert", pgm, png])

        prefix = os.path.join(self.folder, "fresh-prefix")
        self.addCleanup(self.stop_wineserver, prefix)
        wine_env = self.display.env(prefix)
        # A new prefix is made (wineboot) before anything runs in it.
        run([env("VANTLE_GUI_WINE_RUN"), "--init"], timeout=600, env=wine_env)
        app = Vantle(self.display, top, [windows_path(pgm)], installed=True, prefix=prefix)
        self.apps.append(app)
        self.display.xdotool("mousemove", 5, 5)
        app.wait_window(timeout=300)
        self.assertEqual(app.title(), "grey.pgm ... Size 1600 × 1200")
        self.screenshot("package-pgm")
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        boxes = app.boxes()
        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        out = os.path.join(pictures, "Output", "grey.jpg")
        wait_for(lambda: os.path.exists(out), 20, "the trimmed JPEG")
        # The package's own vantle-cli.exe makes the reference, with the rectangle the window placed.
        reference = os.path.join(self.folder, "reference.jpg")
        run([env("VANTLE_GUI_WINE_RUN"), os.path.join(top, "vantle-cli.exe"), "trim", "--rect",
             ",".join(map(str, boxes)), windows_path(png), "-o", windows_path(reference)], timeout=300, env=wine_env)
        with open(out, "rb") as a, open(reference, "rb") as b:
            self.assertEqual(a.read(), b.read(), "the trim differs from vantle-cli.exe's")
        self.assertEqual(app.close(), 0)
        # Portable: the settings stayed beside the program, with the shipped plug-in folder.
        self.assertEqual(self.settings_of(os.path.join(top, "Vantle.ini"))["pluginFolder"], '"Plugins"')

    @staticmethod
    def stop_wineserver(prefix):
        server = shutil.which("wineserver") or "/usr/lib/wine/wineserver64"
        subprocess.run([server, "-k"], env=dict(os.environ, WINEPREFIX=prefix), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=False)


if __name__ == "__main__":
    unittest.main()
