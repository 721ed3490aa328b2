"""The clipboard both ways: a pasted picture is trimmed, and the result goes back as CF_DIB."""
import os
import unittest

from harness import CMD_EXECUTE, CMD_FIT_LARGEST, CMD_PASTE, FORMAT_COMBO, GuiTest, PathArg, wait_for, \
    windows_path


class ClipboardTest(GuiTest):
    def test_pasted_picture_trimmed_to_the_clipboard(self):
        picture = os.path.join(self.folder, "picture.bmp")
        self.cli("trim", "--size", "800x600", "--format", "bmp", PathArg(self.sample_bmp), "-o", PathArg(picture))
        app = self.start()
        # The last entry of the output format box: the clipboard.
        app.msg("select", FORMAT_COMBO, 5)
        app.msg("clip-put", windows_path(picture))
        app.send(CMD_PASTE)
        # A pasted picture has no file name.
        app.wait_title(lambda t: t == "Size 800 × 600", "the pasted picture")
        self.screenshot("pasted")

        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        boxes = app.boxes()
        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        self.assertEqual(app.title(), "Size 400 × 300")

        result = os.path.join(self.folder, "result.bmp")
        wait_for(lambda: app.msg("clip-get", windows_path(result), check=False) is not None, 20,
                 "a picture on the clipboard")
        reference = os.path.join(self.folder, "reference.bmp")
        self.cli("trim", "--rect", ",".join(map(str, boxes)), "--format", "bmp", PathArg(picture), "-o",
                 PathArg(reference))
        image = self.decode(result)
        self.assertEqual(image.size, (400, 300))
        self.assertEqual(image.rgb, self.decode(reference).rgb)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "Output")), "a file was written as well")
        # The choice in the box is kept for the next start.
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings_of(os.path.join(self.folder, "Vantle.ini"))["outputFormat"], "5")


    def test_a_pasted_picture_goes_beside_the_executable_wherever_it_started(self):
        # Started from another folder: the relative "Output" of a picture without a file is the
        # executable's folder's all the same.
        elsewhere = os.path.join(self.folder, "elsewhere")
        os.mkdir(elsewhere)
        app = self.start(cwd=elsewhere)
        app.msg("clip-put", windows_path(self.sample_bmp))
        app.send(CMD_PASTE)
        app.wait_title(lambda t: t == "Size 1600 × 1200", "the pasted picture")
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        self.assertTrue(os.path.exists(os.path.join(self.folder, "Output", "clip.jpg")))
        self.assertFalse(os.path.exists(os.path.join(elsewhere, "Output")))
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
