// The tag save's job as the helper reads it from its input: any path a file
// can have comes back whole, and bytes that are no complete job are refused.
#include "core/TagSaveJob.h"

#include <gtest/gtest.h>

namespace {

TagSaveJob OddJob()
{
    TagSaveJob job;
    job.original = QStringLiteral("/musik/zwei\nZeilen 'und' \"mehr\"\t\u00e4\U0001f3b5/lied.mp3");
    job.copy = QStringLiteral("/musik/zwei\nZeilen 'und' \"mehr\"\t\u00e4\U0001f3b5/.sarovin-tag-Ab12Cd.mp3");
    job.name = QStringLiteral("/link/lied\r\n.mp3");
    job.write = {TagWrite::Title | TagWrite::Track, QStringLiteral("T\u00eftel"), {}, QString(""), "3/12", "17", "x",
                 1999};
    job.want = {"T\u00eftel", "", "", "1999", "3", "Rock", "x"};
    job.format = 4;
    job.id3v1 = QByteArray("TAG") + QByteArray(125, '\0');
    job.failAt = TagSaveStep::Verify;
    return job;
}

TEST(TagSaveJobTest, EveryFieldComesBackWhole)
{
    const TagSaveJob job = OddJob();
    const std::optional<TagSaveJob> back = ParseTagSaveJob(SerializeTagSaveJob(job));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->original, job.original);
    EXPECT_EQ(back->copy, job.copy);
    EXPECT_EQ(back->name, job.name);
    EXPECT_EQ(back->write.fields, job.write.fields);
    EXPECT_EQ(back->write.title, job.write.title);
    EXPECT_EQ(back->write.track, job.write.track);
    EXPECT_EQ(back->write.comment, job.write.comment);
    EXPECT_EQ(back->write.year, job.write.year);
    EXPECT_EQ(back->want, job.want);
    EXPECT_EQ(back->format, job.format);
    EXPECT_EQ(back->id3v1, job.id3v1);
    EXPECT_EQ(back->failAt, job.failAt);
}

TEST(TagSaveJobTest, NoCompleteJobIsRefused)
{
    const QByteArray bytes = SerializeTagSaveJob(OddJob());
    for (qsizetype cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(ParseTagSaveJob(bytes.left(cut))) << "cut at " << cut;
    EXPECT_FALSE(ParseTagSaveJob(bytes + '\0'));
    QByteArray otherMagic = bytes;
    otherMagic[3] = char(otherMagic[3] ^ 1);
    EXPECT_FALSE(ParseTagSaveJob(otherMagic));
    QByteArray badStep = bytes;
    badStep[badStep.size() - 1] = char(99);
    EXPECT_FALSE(ParseTagSaveJob(badStep));
}

} // namespace
