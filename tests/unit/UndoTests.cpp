#include "PresetTestHelpers.h"

using UndoTest = PresetTestEnvironment;

TEST_F (UndoTest, NothingCanBeUndoneAfterConstruction)
{
    auto p = makeProcessor();
    EXPECT_FALSE (p->getUndoManager().canUndo());
    EXPECT_FALSE (p->getUndoManager().canRedo());
    EXPECT_FALSE (p->canUndo());

    p->undo();
    EXPECT_EQ (p->getPresetDisplayName(), "Init");
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.5f);
}

TEST_F (UndoTest, ASwitchClickIsOneStepWithItsMark)
{
    auto p = makeProcessor();
    p->takeUndoRedoButtonsUpdate();

    p->setParameterFromEditor ("Mono", 1.0f, true);
    EXPECT_TRUE (p->takeUndoRedoButtonsUpdate());
    EXPECT_TRUE (p->canUndo());
    EXPECT_EQ (p->getPresetDisplayName(), "Init*");

    p->undo();
    EXPECT_EQ (valueOf (*p, "Mono"), 0.0f);
    EXPECT_EQ (p->getPresetDisplayName(), "Init");
    EXPECT_FALSE (p->canUndo());
    EXPECT_TRUE (p->canRedo());
    EXPECT_TRUE (p->takeUndoRedoButtonsUpdate());

    p->redo();
    EXPECT_EQ (valueOf (*p, "Mono"), 1.0f);
    EXPECT_EQ (p->getPresetDisplayName(), "Init*");
    EXPECT_TRUE (p->canUndo());
    EXPECT_FALSE (p->canRedo());
}

TEST_F (UndoTest, ADragFramedByItsGestureIsOneStep)
{
    auto p = makeProcessor();
    p->setParameterFromEditor ("Pan", 0.4f, true);

    p->beginParameterGestureFromEditor ("StereoWidth");
    for (auto v = 0.51f; v <= 0.75f; v += 0.01f)
        p->setParameterFromEditor ("StereoWidth", v, false);
    p->endParameterGestureFromEditor ("StereoWidth");
    EXPECT_GT (valueOf (*p, "StereoWidth"), 0.74f);

    p->undo();
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.5f);
    EXPECT_EQ (valueOf (*p, "Pan"), 0.4f) << "the step before the drag stays";
    EXPECT_TRUE (p->canUndo());

    p->undo();
    EXPECT_EQ (valueOf (*p, "Pan"), 0.5f);
    EXPECT_FALSE (p->canUndo());
}

TEST_F (UndoTest, HostAutomationIsNotRecordedButUndoReappliesTheTree)
{
    auto p = makeProcessor();
    p->setParameter (p->getParameterSet().indexOf ("Pan"), 0.9f);
    p->setParameterFromEditor ("Mono", 1.0f, true);

    p->undo();
    EXPECT_EQ (valueOf (*p, "Mono"), 0.0f);
    EXPECT_EQ (valueOf (*p, "Pan"), 0.5f);
}

TEST_F (UndoTest, UndoingAFactorySelectionBringsBackNameValuesAndMark)
{
    auto p = makeProcessor();
    p->setParameterFromEditor ("StereoWidth", 0.7f, true);
    p->selectFactoryPreset (3);
    EXPECT_EQ (p->getPresetDisplayName(), "TRACK Stereo 200%");
    EXPECT_EQ (p->getCurrentPresetIndex(), 3);

    p->undo();
    EXPECT_EQ (p->getPresetDisplayName(), "Init*");
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.7f);
    EXPECT_TRUE (p->isPresetModified());
    EXPECT_EQ (p->getCurrentPresetIndex(), 0) << "the tree has no PresetID";

    p->redo();
    EXPECT_EQ (p->getPresetDisplayName(), "TRACK Stereo 200%");
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 1.0f);
}

TEST_F (UndoTest, UndoingAUserPresetLoadRestoresItsIdentityFromTheTree)
{
    auto p = makeProcessor();
    writeUserPreset ("First", { { "Pan", 0.1f } });
    writeUserPreset ("Second", { { "Pan", 0.2f } });
    const auto names = p->getUserPresetNames();
    p->loadUserPreset (1);
    p->loadUserPreset (0);
    EXPECT_EQ (p->getPresetDisplayName(), names[0]);

    p->undo();
    EXPECT_EQ (p->getPresetDisplayName(), names[1]);
    EXPECT_EQ (p->getCurrentPresetIndex(), 1);
    EXPECT_EQ (p->getPresetState()["PresetType"].toString(), "User");
    EXPECT_FALSE (p->isSteppingFactoryPresets());
}

TEST_F (UndoTest, ANewChangeAfterUndoDiscardsRedoAndClearingForgetsAll)
{
    auto p = makeProcessor();
    p->setParameterFromEditor ("Mono", 1.0f, true);
    p->undo();
    ASSERT_TRUE (p->canRedo());

    p->setParameterFromEditor ("SwapLR", 1.0f, true);
    EXPECT_FALSE (p->canRedo());
    EXPECT_TRUE (p->canUndo());

    p->clearUndoHistory();
    EXPECT_FALSE (p->canUndo());
    EXPECT_FALSE (p->canRedo());
    EXPECT_FALSE (p->getUndoManager().canUndo());
}

TEST_F (UndoTest, AnUnknownNameChangesAndRecordsNothing)
{
    auto p = makeProcessor();
    const auto before = stateOf (*p);
    p->setParameterFromEditor ("Width", 1.0f, true);
    p->beginParameterGestureFromEditor ("Width");
    p->endParameterGestureFromEditor ("Width");

    EXPECT_EQ (stateOf (*p), before);
    EXPECT_FALSE (p->canUndo());
}

TEST_F (UndoTest, UndoAfterAStateRestoreLeavesTheRestoredValues)
{
    auto source = makeProcessor();
    source->setParameter (source->getParameterSet().indexOf ("StereoWidth"), 0.9f);
    const auto chunk = stateOf (*source);

    auto p = makeProcessor();
    p->setParameterFromEditor ("StereoWidth", 0.2f, true);
    restore (*p, chunk);
    EXPECT_TRUE (p->canUndo()) << "a restore does not clear the history";
    // The new preset takes the name as it was saved: the replaced tree's "*" does not come along.
    EXPECT_EQ (p->getPresetDisplayName(), "Init");
    EXPECT_FALSE (p->isPresetModified());

    p->undo();
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.9f);
    EXPECT_EQ (p->getPresetDisplayName(), "Init");
}
